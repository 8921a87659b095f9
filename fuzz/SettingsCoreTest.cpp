#include "SettingsFile.h"
#include <gtest/gtest.h>
TEST(Placeholder, Builds) {}
