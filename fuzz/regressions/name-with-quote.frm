VERSION 5.00
Begin VB.Form Form1
   Begin VB.Menu mnuFile "x"
      Caption         =   "&File"
   End
End
Attribute VB_Name = "Form1"
