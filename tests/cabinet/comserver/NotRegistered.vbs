' While the library is not registered (before DllRegisterServer, after
' DllUnregisterServer) no client can create its classes: CreateObject fails
' with "ActiveX component can't create object" (429).
On Error Resume Next
Dim progId, failures
failures = 0
For Each progId In Array("clsCreateCab", "clsToCompressFiles", "clsToCompressFile", "clsExtractCab", _
                         "clsCompressedFiles", "clsCompressedFile")
    Err.Clear
    Dim made
    Set made = CreateObject("TessalyCabinet." & progId)
    If Err.Number = 429 Then
        WScript.Echo "ok   TessalyCabinet." & progId & " cannot be created"
    Else
        WScript.Echo "FAIL TessalyCabinet." & progId & " still answers (error " & Err.Number & ")"
        failures = failures + 1
    End If
Next
WScript.Echo failures & " failure(s)"
WScript.Quit failures
