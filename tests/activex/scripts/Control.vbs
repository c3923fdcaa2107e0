' The control from VBScript: properties with their types, rows, and errors through Err.
Dim failures
failures = 0
Sub Check(what, got, want)
    If got <> want Then
        WScript.Echo "FAIL " & what & ": got " & got & ", want " & want
        failures = failures + 1
    End If
End Sub
Dim editor
Set editor = CreateObject("Vantrell.Penwright.11.2.2")
editor.Text = "a" & vbCrLf & "b"
Check "RowsCount", editor.RowsCount, 2
editor.RowText(2) = "B"
Check "RowText", editor.RowText(2), "B"
editor.BorderStyle = 1
Check "BorderStyle", editor.BorderStyle, 1
editor.ReadOnly = True
editor.RowText(1) = "refused"
Check "ReadOnly keeps the text", editor.Text, "a" & vbCrLf & "B"
editor.ReadOnly = False
editor.ClearUndoBuffer
Check "CanUndo", editor.CanUndo, False
Check "Modified kept", editor.Modified, True
On Error Resume Next
editor.RowText(5) = "x"
Check "RowText outside the text", Err.Number, &H80070057
Err.Clear
editor.SaveFile
Check "SaveFile without a name fails", Err.Number <> 0, True
On Error GoTo 0
If failures = 0 Then WScript.Echo "script passed" Else WScript.Echo failures & " failed"
WScript.Quit failures
