VERSION 5.00
Begin VB.Form frmNotes 
   Caption         =   "Notes"
   ClientHeight    =   3600
   ClientWidth     =   4800
   Begin VB.TextBox txtNotes 
      Height          =   1500
      Left            =   120
      MultiLine       =   -1  'True
      ScrollBars      =   2  'Vertical
      TabIndex        =   0
      Text            =   "program_text.frx":0000
      Top             =   120
      Width           =   4500
   End
   Begin VB.TextBox txtLong 
      Height          =   1500
      Left            =   120
      MultiLine       =   -1  'True
      TabIndex        =   1
      Text            =   "program_text.frx":0023
      Top             =   1800
      Width           =   4500
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuClear 
         Caption         =   "&Clear"
      End
   End
End
Attribute VB_Name = "frmNotes"
Option Explicit

Private Sub mnuClear_Click()
    txtNotes.Text = ""
End Sub

Private Sub txtNotes_Change()
End Sub
