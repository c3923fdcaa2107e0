// The control as a script host drives it, never shown: created by its ProgID, properties set and
// read, rows edited and undone, errors caught with their numbers.
var failures = 0;
function check(what, got, want) {
    if (got !== want) {
        WScript.Echo("FAIL " + what + ": got " + got + ", want " + want);
        failures++;
    }
}
var editor = new ActiveXObject("Vantrell.Penwright.11.2.2");
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
