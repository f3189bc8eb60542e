VERSION 5.00
Begin VB.Form frmFlags 
   Caption         =   "Flags"
   Begin VB.Menu mnuStart 
      Caption         =   "&Start"
   End
   Begin VB.Menu mnuOptions 
      Caption         =   "&Options"
      Begin VB.Menu mnuWrap 
         Caption         =   "&Word wrap"
         Checked         =   -1  'True
      End
      Begin VB.Menu mnuSpell 
         Caption         =   "&Spelling"
         Enabled         =   0   'False
      End
      Begin VB.Menu mnuLocked 
         Caption         =   "&Locked"
         Checked         =   -1  'True
         Enabled         =   0   'False
      End
      Begin VB.Menu mnuHidden 
         Caption         =   "&Hidden"
         Visible         =   0   'False
      End
      Begin VB.Menu mnuPlain 
         Caption         =   "&Plain"
         Checked         =   0   'False
         Enabled         =   -1  'True
         HelpContextID   =   12
      End
   End
   Begin VB.Menu mnuRun 
      Caption         =   "&Run"
   End
   Begin VB.Menu mnuRecentTop 
      Caption         =   "&Recent"
      Begin VB.Menu mnuRecent 
         Caption         =   "&1 first.txt"
         Index           =   0
      End
      Begin VB.Menu mnuRecent 
         Caption         =   "&2 second.txt"
         Index           =   1
      End
      Begin VB.Menu mnuRecent 
         Caption         =   "&3 third.txt"
         Checked         =   -1  'True
         Index           =   2
      End
   End
   Begin VB.Menu mnuWindow 
      Caption         =   "&Window"
      WindowList      =   -1  'True
      Begin VB.Menu mnuArrange 
         Caption         =   "&Arrange"
         Index           =   0
      End
      Begin VB.Menu mnuArrange 
         Caption         =   "&Cascade"
         Enabled         =   0   'False
         Index           =   1
      End
   End
   Begin VB.Menu mnuQuit 
      Caption         =   "&Quit"
   End
End
Attribute VB_Name = "frmFlags"
