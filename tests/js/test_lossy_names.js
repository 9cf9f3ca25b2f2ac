// JScript hands on any character. A name the ANSI code page cannot hold
// becomes "?" there (a wildcard to the system: U+0416) or a look-alike
// (U+0106 as "C"); either must answer as a missing file and never reach
// the decoys beside it.
var u = new ActiveXObject("Orvilib10.clsKvOrviUtilitesA");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var root = fso.BuildPath(fso.GetSpecialFolder(2).Path, fso.GetTempName());
fso.CreateFolder(root);
fso.CreateFolder(root + "\\c");
fso.CreateFolder(root + "\\c\\d");
var decoys = [root + "\\c.txt", root + "\\c\\c.txt"];
for (var i = 0; i < decoys.length; i++) {
    var stream = fso.CreateTextFile(decoys[i]);
    stream.Write("decoy");
    stream.Close();
}
var noDate = new Date(u.FileCreated(root + "\\missing.txt")).getTime();
var lacking = ["\u0416", "\u0106"];
for (var j = 0; j < lacking.length; j++) {
    var c = lacking[j], name = root + "\\" + c + ".txt", folder = root + "\\" + c, tag = " U+" + c.charCodeAt(0).toString(16);
    CheckEqual("FileExists" + tag, false, u.FileExists(name));
    CheckEqual("FileAttributes" + tag, "", u.FileAttributes(name));
    CheckEqual("FileCreated" + tag, noDate, new Date(u.FileCreated(name)).getTime());
    CheckEqual("FileLastAccessed" + tag, noDate, new Date(u.FileLastAccessed(name)).getTime());
    CheckEqual("FileLastModified" + tag, noDate, new Date(u.FileLastModified(name)).getTime());
    CheckEqual("FileRead" + tag, "", u.FileRead(name));
    CheckEqual("FileShortPath" + tag, "", u.FileShortPath(name));
    CheckEqual("FileSize" + tag, "53 File not found", ErrorOf(function () { u.FileSize(name); }));
    CheckEqual("FileWrite" + tag, false, u.FileWrite(name, "written"));
    CheckEqual("FileCopy from" + tag, false, u.FileCopy(name, root + "\\copy.txt"));
    CheckEqual("FileCopy onto" + tag, false, u.FileCopy(decoys[0], name));
    CheckEqual("FileCopyAPI from" + tag, false, u.FileCopyAPI(name, root + "\\copy.txt"));
    CheckEqual("FileCopyAPI onto" + tag, false, u.FileCopyAPI(decoys[0], name));
    CheckEqual("FileKill" + tag, true, u.FileKill(name));
    CheckEqual("FileFind name" + tag, "", u.FileFind(root, c + ".txt"));
    CheckEqual("FileFind root" + tag, "", u.FileFind(folder, "c.txt"));
    var paths = new ActiveXObject("Scripting.Dictionary");
    u.FileDirectories(folder, paths);
    CheckEqual("FileDirectories" + tag, 0, paths.Count);
}
for (var k = 0; k < decoys.length; k++) CheckEqual("decoy kept " + k, "decoy", u.FileRead(decoys[k]));
CheckEqual("nothing written beside the decoys", 1, fso.GetFolder(root).Files.Count);
fso.DeleteFolder(root, true);
Finish();
