#include "linecraft/selection.hpp"

#include <gtest/gtest.h>
