' Counts the words of a text file given on the command line.
Option Explicit

Dim fso, path, text, words, total
Set fso = CreateObject("Scripting.FileSystemObject")
path = WScript.Arguments(0)

If fso.FileExists(path) Then
    Rem Read the whole file at once.
    text = fso.OpenTextFile(path, 1).ReadAll()
    words = Split(Replace(text, vbTab, " "), " ")
    total = UBound(words) + 1
Else
    total = 0 : Rem nothing to count
End If

WScript.Echo "File """ & path & """ has " & total & " words (limit &H7FFF)."
