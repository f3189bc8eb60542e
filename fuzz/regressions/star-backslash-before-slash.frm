VERSION 5.00
Begin VB.Form Form1
   Caption = "F"
   Begin VB.CommandButton Command1
      Caption = "Go"
   End
   Begin VB.Menu mnuFile
      Caption = "File"
   End
End
Attribute VB_Name = "Form1"
Private Sub Command1_Click()
End Sub
Dim a ' a star and a backslash *\
/ and a slash that begins the next line
