#include "picture.h"

#include <gtest/gtest.h>

TEST(Placeholder, Builds) {}
