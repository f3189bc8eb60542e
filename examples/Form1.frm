VERSION 5.00
Begin VB.Form Form1 
   Caption         =   "Form1"
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuSep 
         Caption         =   "-"
      End
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
         Enabled         =   0   'False
      End
   End
   Begin VB.Menu mnuView 
      Caption         =   "&View"
      Begin VB.Menu mnuBar 
         Caption         =   "Tool&bar"
         Checked         =   -1  'True
      End
   End
End
Attribute VB_Name = "Form1"
