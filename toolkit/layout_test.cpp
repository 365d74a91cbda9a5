#include "toolkit/layout.hpp"
