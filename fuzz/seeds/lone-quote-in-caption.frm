VERSION 5.00
Begin VB.Form Form1
   Begin VB.Menu mnuFile
      Caption         =   "Say "hi" now"
   End
End
Attribute VB_Name = "Form1"
