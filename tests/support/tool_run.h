// Runs orlixreport in-process and checks the shape of its failures.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace orlix::cli {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

inline ToolRun Orlixreport(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunOrlixReport(args, out, err);
  return {status, out.str(), err.str()};
}

// A failure is exit status 1, one line on stderr naming `mentions`, and nothing on stdout.
inline void ExpectOneLineFailure(const ToolRun& run, const std::string& mentions) {
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  ASSERT_FALSE(run.err.empty());
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
}

}  // namespace orlix::cli
