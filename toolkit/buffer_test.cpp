#include "toolkit/buffer.hpp"
