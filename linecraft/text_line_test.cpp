#include "linecraft/text_line.hpp"

#include <gtest/gtest.h>
