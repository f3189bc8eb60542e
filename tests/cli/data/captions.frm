VERSION 5.00
Begin VB.Form frmCaptions 
   Caption         =   "Captions"
   Begin VB.Label lblHint 
      Caption         =   "Begin VB.Menu is how a menu starts"
      Height          =   255
   End
   Begin VB.Menu mnuText 
      Caption         =   "&Text"
      Begin VB.Menu mnuQuoted 
         Caption         =   "Say ""hello"""
      End
      Begin VB.Menu mnuNothing 
         Caption         =   ""
      End
      Begin VB.Menu mnuBackslash 
         Caption         =   "C:\"
      End
      Begin VB.Menu mnuThreeSlashes 
         Caption         =   "Share \\\"
      End
      Begin VB.Menu mnuTwoSlashes 
         Caption         =   "Root \\"
      End
      Begin VB.Menu mnuTab 
         Caption         =   "&Save\tCtrl+S"
      End
      Begin VB.Menu mnuAmp 
         Caption         =   "Salt && pepper"
      End
   End
   Begin VB.Menu mnuNoName 
      Caption         =   ""
      Begin VB.Menu mnuInside 
         Caption         =   "Inside the nameless"
      End
      Begin VB.Menu mnuSpaced 
         Caption         =   "  spaced out  "
      End
   End
   Begin VB.Timer tmrTick 
      Interval        =   1000
   End
   Begin VB.Menu mnuTools 
      Caption         =   "T&ools"
      Begin VB.Menu mnuTool 
         Caption         =   "&Calculator"
      End
   End
   Begin VB.Label lblFoot 
      Caption         =   "Footer"
      BeginProperty Font 
         Name            =   "Tahoma"
         Size            =   8.25
      EndProperty
   End
   Begin VB.Menu mnuLast 
      Caption         =   "&Last"
   End
End
Attribute VB_Name = "frmCaptions"
Private Sub Form_Load()
    ' Begin VB.Menu lines in a comment are no menu
End Sub
