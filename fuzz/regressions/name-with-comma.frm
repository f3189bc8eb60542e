VERSION 5.00
Begin VB.Form Form1
   Begin VB.Menu mnuPop, GRAYED
      Caption         =   "&Pop"
   End
End
Attribute VB_Name = "Form1"
