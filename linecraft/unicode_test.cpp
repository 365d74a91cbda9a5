#include "linecraft/unicode.hpp"

#include <gtest/gtest.h>
