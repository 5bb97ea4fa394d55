// The cabinet library from a JScript client: the same objects by late
// binding, with JScript's manners (methods called with parentheses, errors
// caught as exceptions with a number and a description).
//
// usage: cscript CabinetClient.js WORK   (WORK\tree as for CabinetClient.vbs;
// WORK\linked-out\sub is a link to a folder outside WORK\linked-out)
var work = WScript.Arguments(0);
var tree = work + "\\tree";
var fso = new ActiveXObject("Scripting.FileSystemObject");
var failures = 0;

function check(ok, what) {
    WScript.Echo((ok ? "ok   " : "FAIL ") + what);
    if (!ok)
        failures++;
}

function checkEqual(actual, expected, what) {
    check(actual === expected, what + " (got [" + actual + "], expected [" + expected + "])");
}

// Builds js.cab from the tree, plus one file under a name of the client's choosing.
var cab = new ActiveXObject("TessalyCabinet.clsCreateCab");
var files = cab.ToCompressFiles;
files.AddDirectory(tree);
checkEqual(files.Count(), 6, "AddDirectory lists the visible files");
files.AddFile(tree + "\\sub\\deeper\\c.txt", "extra\\c-copy.txt", 0);
checkEqual(files.Count(), 7, "AddFile appends");
checkEqual(files.Item(7).NameInCab, "extra\\c-copy.txt", "Item gives the entry with its name");
checkEqual(files.Item(7).CompressionType, 0, "and the compression type asked for (stored)");
files.Item(7).ExecuteFlag = false;
cab.CabinetFile = work + "\\js.cab";
cab.Compress();
check(fso.FileExists(work + "\\js.cab"), "Compress writes the cabinet");

// A writer error arrives as an exception with its number and text.
var failing = new ActiveXObject("TessalyCabinet.clsCreateCab");
failing.ToCompressFiles.AddFile(tree + "\\a.txt");
failing.CabinetFile = work + "\\no such folder\\x.cab";
var caught = null;
try {
    failing.Compress();
} catch (e) {
    caught = e;
}
check(caught !== null, "Compress into a missing folder throws");
if (caught !== null) {
    checkEqual(caught.number, -2147221403, "the error number is 0x80040065");
    checkEqual(caught.description, "Could Not Create Cab File", "the description is the writer's text");
}

// Listing and extracting everything back.
var reader = new ActiveXObject("TessalyCabinet.clsExtractCab");
reader.CabFileName = work + "\\js.cab";
reader.GetFilesInfo();
var listing = reader.CompressedFiles;
checkEqual(listing.Count(), 7, "GetFilesInfo lists the 7 entries");
var sizes = true;
for (var i = 1; i <= listing.Count(); i++) {
    var entry = listing.Item(i);
    var name = entry.FileCabName;
    var original = name == "extra\\c-copy.txt" ? "sub\\deeper\\c.txt" : name;
    sizes = sizes && entry.FileSize == fso.GetFile(tree + "\\" + original).Size;
    entry.ExtractFlag = true;
}
check(sizes, "every entry has the size of its file");
reader.ExtractFiles(work + "\\js-out");
check(fso.FileExists(work + "\\js-out\\extra\\c-copy.txt"), "ExtractFiles writes entries below their folder part");
checkEqual(reader.DestinationDir, work + "\\js-out", "DestinationDir reads back");

// A cabinet holding an entry named as itself, extracted beside itself: the
// entry is refused rather than written over the cabinet being read.
var self = new ActiveXObject("TessalyCabinet.clsCreateCab");
self.ToCompressFiles.AddFile(tree + "\\a.txt", "self.cab");
self.CabinetFile = work + "\\self.cab";
self.Compress();
var selfSize = fso.GetFile(work + "\\self.cab").Size;
var again = new ActiveXObject("TessalyCabinet.clsExtractCab");
again.CabFileName = work + "\\self.cab";
again.GetFilesInfo();
again.CompressedFiles.Item(1).ExtractFlag = true;
again.ExtractFiles(work);
checkEqual(fso.GetFile(work + "\\self.cab").Size, selfSize, "an entry named as the cabinet does not replace it");

// Extracting into a folder where a link leads elsewhere: what would go
// through the link is refused (the Linux side checks nothing arrived there).
var linked = new ActiveXObject("TessalyCabinet.clsExtractCab");
linked.CabFileName = work + "\\js.cab";
linked.GetFilesInfo();
for (var j = 1; j <= linked.CompressedFiles.Count(); j++)
    linked.CompressedFiles.Item(j).ExtractFlag = true;
linked.ExtractFiles(work + "\\linked-out");
check(fso.FileExists(work + "\\linked-out\\a.txt"), "entries beside the link are still written");

WScript.Echo(failures + " failure(s)");
WScript.Quit(failures);
