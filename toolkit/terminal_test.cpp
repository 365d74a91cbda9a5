#include "toolkit/terminal.hpp"
