' A script host's use of the control: created by ProgID, unsited. Ends with exit code 0 only
' when every check held; each failed check prints why.
Option Explicit
Dim failures : failures = 0

Sub Check(condition, what)
  If Not condition Then
    WScript.Echo "FAILED: " & what
    failures = failures + 1
  End If
End Sub

On Error Resume Next
Dim rv : Set rv = CreateObject("rvxReportView.ReportView")
If Err.Number <> 0 Then
  WScript.Echo "FAILED: CreateObject: " & Hex(Err.Number) & " " & Err.Description
  WScript.Quit 2
End If

Check rv.ReportTitle = "Report", "default title"
Check rv.ViewIsEmpty = False, "ViewIsEmpty before Generate"
rv.FieldMask = "0=""Name"",1=""Size""[#,##0],2=""Kind""{1=One|2=Two}"
Check Err.Number = 0, "FieldMask: " & Err.Description
Check rv.FieldMask = "0=""Name"",1=""Size""[#,##0],2=""Kind""{1=One|2=Two}", "FieldMask reads back"

Dim a(2, 3), row
For row = 0 To 3
  a(0, row) = "item " & row
  a(1, row) = row * 1000
  a(2, row) = (row Mod 2) + 1
Next
rv.DataToShow = a
Check Err.Number = 0, "DataToShow: " & Err.Description
rv.Generate
Check Err.Number = 0, "Generate: " & Err.Description
Check rv.ViewIsEmpty = False, "ViewIsEmpty after Generate"

Dim back : back = rv.DataToShow
Check UBound(back, 1) = 2 And UBound(back, 2) = 3, "DataToShow copy keeps the bounds"
Check back(0, 3) = "item 3" And back(1, 2) = 2000, "DataToShow copy keeps the cells"

' Errors reach the script as run-time errors with a description.
Err.Clear
rv.DataToShow = "not an array"
Check Err.Number = &H80020005, "a text as DataToShow: " & Hex(Err.Number)
Check InStr(Err.Description, "two-dimensional") > 0, "description of the refused data: " & Err.Description
Check Err.Source = "rvxReportView.ReportView", "error source: " & Err.Source
Err.Clear
rv.FieldMask = "7=""Far"""
rv.Generate
Check Err.Number = &H80070057, "Generate on a missing field: " & Hex(Err.Number)
Check InStr(Err.Description, "names field 7") > 0, "description of the missing field: " & Err.Description
Err.Clear

Set rv = Nothing
If failures = 0 Then WScript.Echo "script client: all checks held"
WScript.Quit failures
