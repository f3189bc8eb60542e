VERSION 5.00
Object = "{5E9E78A0-531B-11CF-91F6-C2863C385E30}#1.0#0; "MSFLXGRD.OCX""
Begin VB.Form frmUnknown 
   Caption         =   "Nieznane"
   ClientHeight    =   3200
   ClientWidth     =   5400
   Begin VB.CommandButton cmdFirst 
      Caption         =   "Pierwszy"
      Height          =   375
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   1215
   End
   Begin MSFlexGridLib.MSFlexGrid grdData 
      _ExtentX        =   5292
      _Version        =   393216
      Height          =   1500
      Left            =   120
      TabIndex        =   1
      Top             =   600
      Width           =   3000
   End
   Begin TabDlg.SSTab sstPages 
      Tabs            =   2
      Height          =   1500
      Left            =   3240
      TabIndex        =   2
      Top             =   600
      Width           =   2000
      Begin VB.CommandButton cmdInTab 
         Caption         =   "W zak³adce"
         Height          =   375
         Left            =   120
         TabIndex        =   3
         Top             =   400
         Width           =   1215
      End
   End
   Begin Evil.Name\ ctl\ 
      Height          =   300
      Left            =   120
      TabIndex        =   4
      Top             =   2200
      Width           =   1000
   End
   Begin VB.Line linSlant 
      X1              =   120
      X2              =   3000
      Y1              =   2600
      Y2              =   3000
   End
   Begin VB.CommandButton cmdLast 
      Caption         =   "Ostatni"
      Height          =   375
      Left            =   3240
      TabIndex        =   5
      Top             =   2200
      Width           =   1215
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
      End
   End
End
Attribute VB_Name = "frmUnknown"
Private Sub cmdOK_Click()
End Sub
