' The cabinet library from a VBScript client, by late binding as such
' clients use it: objects by ProgID, members by name, default members,
' by-reference arguments filled in, errors read from Err.
'
' usage: cscript CabinetClient.vbs WORK ACCENTED
' WORK\tree is the folder to pack. It holds a.txt, sub\b.bin,
' sub\deeper\c.txt, the file named ACCENTED (a name beyond ASCII, relative to
' the tree), dated.txt stamped 2019-05-04 10:20:30, readonly.txt without
' write permission and the dot-file .hidden.txt, which the system shows as
' hidden.
Option Explicit

Dim work, tree, fso, failures
work = WScript.Arguments(0)
tree = work & "\tree"
Set fso = CreateObject("Scripting.FileSystemObject")
failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Sub CheckEqual(actual, expected, what)
    Check actual = expected, what & " (got [" & actual & "], expected [" & expected & "])"
End Sub

Function Listed(files)
    Dim names, i
    Set names = CreateObject("Scripting.Dictionary")
    For i = 1 To files.Count
        names(files(i).NameInCab) = files(i).SourcePath
    Next
    Set Listed = names
End Function

' --- Building: AddDirectory on a tree with sub-folders, AddFile, Count, Item, Remove
Dim cab, files, names, expected, name
Set cab = CreateObject("TessalyCabinet.clsCreateCab")
Check Right(TypeName(cab), 12) = "clsCreateCab", "TypeName names the class (" & TypeName(cab) & ")"
Set files = cab.ToCompressFiles
Check files Is cab.ToCompressFiles, "ToCompressFiles is one object however often it is asked for"
files.AddDirectory tree
Set names = Listed(files)
Dim accented
accented = WScript.Arguments(1)
expected = Array("a.txt", "sub\b.bin", "sub\deeper\c.txt", accented, "dated.txt", "readonly.txt")
CheckEqual files.Count, 6, "AddDirectory lists every visible file of the tree"
For Each name In expected
    Check names.Exists(name), "AddDirectory names " & name & " relative to the folder"
    If names.Exists(name) Then CheckEqual names(name), tree & "\" & name, "its SourcePath"
Next
Check Not names.Exists(".hidden.txt"), "a hidden file is not added"
CheckEqual files(1).CompressionType, 1, "entries compress with type 1"
CheckEqual files.Item(1).ExecuteFlag, False, "entries are not marked to run"
Check files(99) Is Nothing, "Item of an unknown position is Nothing, without an error"
' The tree as it is, for comparison with the same tree packed on Linux.
cab.CabinetFile = work & "\tree.cab"
cab.Compress
Check fso.FileExists(work & "\tree.cab"), "Compress writes the tree's cabinet"

Dim source, given
source = tree & "\a.txt"
given = ""
files.AddFile source, given
CheckEqual given, "a.txt", "AddFile hands the name it gave back through the caller's variable"
files.AddFile tree & "\sub\b.bin", "renamed\b.bin"
CheckEqual files(files.Count).NameInCab, "renamed\b.bin", "AddFile stores under the name asked for"
CheckEqual files(files.Count).CompressionType, 1, "an omitted CompressionType takes its default, 1"
files.AddFile tree & "\.hidden.txt"
files.AddFile tree & "\sub"
files.AddFile tree & "\no such file"
CheckEqual files.Count, 8, "hidden files, folders and missing files are left out silently"
Dim removed
removed = files.Remove(7)
Check IsEmpty(removed), "Remove returns Empty"
files.Remove 99
CheckEqual files.Count, 7, "Remove takes one entry; an unknown position changes nothing"
CheckEqual files(7).NameInCab, "renamed\b.bin", "the entries after it move up"
files(7).ExecuteFlag = True

' --- Writing
cab.CabinetFile = work & "\vbs.cab"
CheckEqual cab.CabinetFile, work & "\vbs.cab", "CabinetFile reads back"
Check Not cab.RaiseCompressStatus(0, 1, 2), "RaiseCompressStatus without listeners does not cancel"
cab.Compress
Check fso.FileExists(work & "\vbs.cab"), "Compress writes the cabinet"

' --- Errors: number, source and text
Dim broken
Set broken = CreateObject("TessalyCabinet.clsCreateCab")
broken.ToCompressFiles.AddFile source
broken.CabinetFile = "   "
broken.Compress
Check Not fso.FileExists(work & "\   "), "a blank CabinetFile makes Compress do nothing"
On Error Resume Next
broken.CabinetFile = work & "\no such folder\x.cab"
broken.Compress
CheckEqual Err.Number, -2147221403, "a writer error raises 0x80040065"
CheckEqual Err.Source, "TessalyCabinet", "with the library as its source"
CheckEqual Err.Description, "Could Not Create Cab File", "and the writer's text"
Err.Clear
fso.CopyFile source, work & "\gone.txt"
Set broken = CreateObject("TessalyCabinet.clsCreateCab")
broken.ToCompressFiles.AddFile work & "\gone.txt"
fso.DeleteFile work & "\gone.txt"
broken.CabinetFile = work & "\gone.cab"
broken.Compress
CheckEqual Err.Description, "Failed Opening File", "a file gone before Compress is reported by name of the failure"
Err.Clear
Set broken = CreateObject("TessalyCabinet.clsCreateCab")
broken.ToCompressFiles.AddFile source, "a.txt", 7
broken.CabinetFile = work & "\type7.cab"
broken.Compress
CheckEqual Err.Description, "Unknown Compression Type", "an unknown compression type is the writer's error"
Check Not fso.FileExists(work & "\type7.cab"), "and leaves no cabinet"
Err.Clear
On Error GoTo 0

' --- Listing: GetFilesInfo and CompressedFiles, dates and attributes
Dim reader, listing, entry, i, found
Set reader = CreateObject("TessalyCabinet.clsExtractCab")
reader.CabFileName = work & "\vbs.cab"
reader.GetFilesInfo
Set listing = reader.CompressedFiles
CheckEqual reader.GetFileCount, 7, "GetFilesInfo lists every entry"
CheckEqual listing.Count, 7, "CompressedFiles holds them"
Set found = CreateObject("Scripting.Dictionary")
For i = 1 To listing.Count
    Set entry = listing.Item(i)
    found(entry.FileCabName) = i
    If entry.FileCabName <> "renamed\b.bin" Then
        CheckEqual entry.FileSize, fso.GetFile(tree & "\" & entry.FileCabName).Size, entry.FileCabName & " has its size"
    End If
    CheckEqual entry.ExtractFlag, False, entry.FileCabName & " is not chosen yet"
Next
Check found.Exists("sub\deeper\c.txt"), "entries keep their folder part"
Check found.Exists(accented), "an accented name comes back as it was stored"
Set entry = listing.Item(found("dated.txt"))
CheckEqual entry.FileDate, 20132, "FileDate is the DOS date of 2019-05-04"
CheckEqual entry.FileTime, 21135, "FileTime is the DOS time of 10:20:30"
CheckEqual listing.Item(found("readonly.txt")).Attribs And 1, 1, "a read-only file is stored read-only"
CheckEqual listing.Item(found("a.txt")).Attribs And 7, 0, "a plain file is neither read-only, hidden nor system"
CheckEqual listing.Item(found("renamed\b.bin")).Attribs And &H40, &H40, "ExecuteFlag stores the run-after-extraction mark"
Check listing.Item(99) Is Nothing, "Item of an unknown position is Nothing"
reader.GetFilesInfo
CheckEqual listing.Count, 14, "a second GetFilesInfo lists every entry again"

' --- Extracting the chosen entries, with their dates and attributes
Dim chooser, out
Set chooser = CreateObject("TessalyCabinet.clsExtractCab")
chooser.CabFileName = work & "\vbs.cab"
chooser.GetFilesInfo
out = work & "\vbs-none"
chooser.ExtractFiles out
Check Not fso.FolderExists(out & "\sub"), "ExtractFiles without a chosen entry writes nothing"
Set listing = chooser.CompressedFiles
For i = 1 To listing.Count
    listing.Item(i).ExtractFlag = (listing.Item(i).FileCabName <> "a.txt")
Next
out = work & "\vbs-out"
CheckEqual chooser.LaunchMarkedFiles, False, "marked files are not opened unless the client asks"
chooser.LaunchMarkedFiles = True
CheckEqual chooser.LaunchMarkedFiles, True, "LaunchMarkedFiles reads back"
chooser.LaunchMarkedFiles = False
chooser.ExtractFiles out
CheckEqual chooser.DestinationDir, out, "DestinationDir is the folder given"
Check Not fso.FileExists(out & "\a.txt"), "an entry not chosen is not written"
For Each name In Array("sub\b.bin", "sub\deeper\c.txt", accented, "dated.txt", "readonly.txt", "renamed\b.bin")
    Check fso.FileExists(out & "\" & name), name & " is written below the destination"
Next
CheckEqual fso.GetFile(out & "\dated.txt").DateLastModified, DateSerial(2019, 5, 4) + TimeSerial(10, 20, 30), _
    "the written file has its stored date and time"
CheckEqual fso.GetFile(out & "\readonly.txt").Attributes And 1, 1, "and its stored read-only attribute"
CheckEqual chooser.Extract(), False, "Extract returns False"

' --- A file that is no cabinet is the user's message, not the client's error
Dim notCab
Set notCab = CreateObject("TessalyCabinet.clsExtractCab")
notCab.CabFileName = source
On Error Resume Next
notCab.GetFilesInfo
CheckEqual Err.Number, 0, "GetFilesInfo on a file that is no cabinet raises nothing"
On Error GoTo 0
CheckEqual notCab.CompressedFiles.Count, 0, "and lists nothing"

' --- Collections made by the client
Dim made, one
Set made = CreateObject("TessalyCabinet.clsCompressedFiles")
Set one = CreateObject("TessalyCabinet.clsCompressedFile")
one.FileCabName = "made.txt"
made.Add one
Check made.Item(1) Is one, "clsCompressedFiles.Add keeps the very object added"

' --- Registration as clients find it
Dim className, created
For Each className In Array("clsCreateCab", "clsToCompressFiles", "clsToCompressFile", "clsExtractCab", _
                            "clsCompressedFiles", "clsCompressedFile")
    Set created = CreateObject("TessalyCabinet." & className)
    Check Right(TypeName(created), Len(className)) = className, "TessalyCabinet." & className & " creates a " & className
Next
On Error Resume Next
Set created = CreateObject("TessalyCabinet.clsFDIStruct")
CheckEqual Err.Number, 429, "clsFDIStruct is handed to clients, never created by them"
Err.Clear
On Error GoTo 0
Dim shell
Set shell = CreateObject("WScript.Shell")
CheckEqual shell.RegRead("HKCR\TessalyCabinet.clsExtractCab\Clsid\"), "{3ED2E618-BEBD-4C86-8875-10D21BCF3A7C}", _
    "the ProgID names its class"
CheckEqual shell.RegRead("HKCR\CLSID\{9437C1E1-D23B-465C-B105-89035CAADABA}\InprocServer32\ThreadingModel"), _
    "Apartment", "classes run in the apartment model"
CheckEqual shell.RegRead("HKCR\TypeLib\{AF501CC8-8FCB-41E6-B90F-6524F0602122}\1.0\"), "Tessaly Cabinet", _
    "the type library is registered as Tessaly Cabinet 1.0"
Check Len(shell.RegRead("HKCR\TypeLib\{AF501CC8-8FCB-41E6-B90F-6524F0602122}\1.0\409\win64\")) > 0, _
    "for locale 0x0409"

WScript.Echo failures & " failure(s)"
WScript.Quit failures
