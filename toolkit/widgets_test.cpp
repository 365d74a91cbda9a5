#include "toolkit/widgets.hpp"
