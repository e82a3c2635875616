#pragma once

// The promise of the material stamper, checked after a run on any file.

#include <gtest/gtest.h>

#include <string>

#include "model_file.hpp"

namespace testing_support {

// `after` differs from `before` in exactly the material id fields that `before` defines, each
// holding `id`, or not at all; a file that holds together is never refused.
inline void expectStampedExactlyOrUntouched(const std::string& before, const std::string& after,
                                            int exitCode, std::uint16_t id) {
  const auto fields = materialIdFields(before);
  if (fields.has_value()) {
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(after, withIds(before, *fields, id));
  } else {
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(after, before);
  }
}

}  // namespace testing_support
