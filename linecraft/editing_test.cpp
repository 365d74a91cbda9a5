#include "linecraft/editing.hpp"

#include <gtest/gtest.h>
