VERSION 5.00
Begin VB.Form frmDeep 
   Caption         =   "Deep menus"
   ClientHeight    =   3195
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuNew 
         Caption         =   "&New"
         Begin VB.Menu mnuNewDoc 
            Caption         =   "&Document"
            Begin VB.Menu mnuNewDocBlank 
               Caption         =   "&Blank"
            End
            Begin VB.Menu mnuNewDocTemplate 
               Caption         =   "From &template"
               Begin VB.Menu mnuTplLetter 
                  Caption         =   "&Letter"
               End
               Begin VB.Menu mnuTplInvoice 
                  Caption         =   "&Invoice"
               End
            End
         End
         Begin VB.Menu mnuNewSep 
            Caption         =   "-"
         End
      End
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open..."
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuFileSep 
         Caption         =   "-"
      End
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
      End
   End
   Begin VB.Menu mnuEdit 
      Caption         =   "&Edit"
      Begin VB.Menu mnuUndo 
         Caption         =   "&Undo"
      End
      Begin VB.Menu mnuEditSep 
         Caption         =   "-"
      End
   End
   Begin VB.Menu mnuView 
      Caption         =   "&View"
      Begin VB.Menu mnuZoom 
         Caption         =   "&Zoom"
         Begin VB.Menu mnuZoomIn 
            Caption         =   "Zoom &in"
         End
         Begin VB.Menu mnuZoomOut 
            Caption         =   "Zoom &out"
         End
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
      Begin VB.Menu mnuAbout 
         Caption         =   "&About"
      End
   End
End
Attribute VB_Name = "frmDeep"
Attribute VB_GlobalNameSpace = False
Private Sub mnuExit_Click()
    Unload Me
End Sub
