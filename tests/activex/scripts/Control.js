// The control as a script host drives it, never shown: created by its ProgID, properties set and
// read, rows edited and undone, errors caught with their numbers.
var failures = 0;
function check(what, got, want) {
    if (got !== want) {
        WScript.Echo("FAIL " + what + ": got " + got + ", want " + want);
        failures++;
    }
}
// What regsvr32 wrote: the ProgID without the version leads to this one, and the control is in
// the two safety categories.
var shell = new ActiveXObject("WScript.Shell");
var classId = shell.RegRead("HKCR\\Vantrell.Penwright\\CLSID\\");
check("CurVer", shell.RegRead("HKCR\\Vantrell.Penwright\\CurVer\\"), "Vantrell.Penwright.11.2.2");
check("class", shell.RegRead("HKCR\\Vantrell.Penwright.11.2.2\\CLSID\\"), classId);
var categories = ["{7DD95801-9882-11CF-9FA9-00AA006C42C4}", "{7DD95802-9882-11CF-9FA9-00AA006C42C4}"];
for (var i = 0; i < categories.length; i++)
    check("category " + categories[i],
          shell.RegRead("HKCR\\CLSID\\" + classId + "\\Implemented Categories\\" + categories[i] + "\\"), "");
var editor = new ActiveXObject("Vantrell.Penwright");
editor.Text = "first\r\nsecond";
check("RowsCount", editor.RowsCount, 2);
check("TextLength", editor.TextLength, 11);
check("RowText", editor.RowText(2), "second");
editor.InsertRow(3, "third");
editor.RowText(1) = "FIRST";
check("Text after row edits", editor.Text, "FIRST\r\nsecond\r\nthird");
check("Modified", editor.Modified, true);
editor.Undo();
editor.Undo();
check("Text after undo", editor.Text, "first\r\nsecond");
editor.ShowLineNumbers = false;
check("ShowLineNumbers", editor.ShowLineNumbers, false);
editor.CurrPos.SetPos(2, 3);
check("CurrRow", editor.CurrRow, 2);
check("CurrCol", editor.CurrCol, 3);
editor.SelectAll();
check("Selection", editor.Selection.Text, "first\r\nsecond");
check("DataManager", typeof editor.DataManager.FileExt, "string");
check("PrintPreviewOptions", editor.PrintPreviewOptions.Title, "Penwright");
try {
    editor.RemoveRow(7);
    check("RemoveRow outside the text", "done", "refused");
} catch (e) {
    check("RemoveRow's error", e.number, -2147024809);  // E_INVALIDARG
}
try {
    editor.OpenFile("C:\\windows\\pw-missing.txt");
    check("OpenFile of a missing file", "done", "refused");
} catch (e) {
    check("OpenFile's error", e.number & 0xFFFF, 53);  // file not found
}
WScript.Echo(failures == 0 ? "script passed" : failures + " failed");
WScript.Quit(failures);
