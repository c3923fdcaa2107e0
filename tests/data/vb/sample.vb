' Counts the words of a text file.
Option Strict On
Imports System.IO

Module WordCount
    #Region "Counting"
    Rem Blanks, tabs and line ends separate words.
    Function CountWords(ByVal text As String) As Integer
        Dim parts = text.Split({" "c, vbTab, vbLf}, StringSplitOptions.RemoveEmptyEntries)
        Return parts.Length
    End Function
    #End Region

    Sub Main(args As String())
        Dim total As Long = 0
        For Each path In args
            If File.Exists(path) Then total += CountWords(File.ReadAllText(path))
        Next
        Console.WriteLine("{0} words in ""{1}""", total, &HFF)
    End Sub
End Module
