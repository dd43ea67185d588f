// One host parameter of a report: a template tag and its value.
#pragma once

#include <string>

#include "base/keyed_collection.h"

namespace orlix {

struct cReportParam {
  std::string Key;    // the tag, such as "{||ReportTitle||}"
  std::string Value;
};

// The host's parameters, keyed by their tags.
using ReportParameters = KeyedCollection<cReportParam>;

}  // namespace orlix
