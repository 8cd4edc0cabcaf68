// Test macros: GoogleTest where it is available.
#pragma once
#include <gtest/gtest.h>
