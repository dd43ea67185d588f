// The four GUIDs of the library, fixed for good (hosts store them). rvxReportView.idl and the
// IID resources in rvxReportView.rc carry the same values; the tests read them back from both.
#pragma once

#include <windows.h>

namespace orlix {

extern const GUID kLibidReportView;      // the type library
extern const IID kIidReportView;         // _ReportView, the default (dual) interface
extern const IID kIidReportViewEvents;   // __ReportView, the empty event dispinterface
extern const CLSID kClsidReportView;     // ReportView, the control class

constexpr const char* kProgIdReportView = "rvxReportView.ReportView";
constexpr const wchar_t* kProgIdReportViewW = L"rvxReportView.ReportView";

}  // namespace orlix
