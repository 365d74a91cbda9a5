#include "toolkit/rect.hpp"
