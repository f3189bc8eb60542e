VERSION 5.00
Begin VB.Form frmGroups 
   Caption         =   "Grupy"
   BorderStyle     =   1  'Fixed Single
   ClientHeight    =   3720
   ClientWidth     =   5400
   BeginProperty Font 
      Name            =   "MS Sans Serif"
      Size            =   8.25
      Charset         =   238
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   Begin VB.Frame fraSize 
      Caption         =   "Rozmiar"
      Height          =   1500
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   2500
      Begin VB.OptionButton optSmall 
         Caption         =   "Ma³y"
         Height          =   255
         Left            =   120
         TabIndex        =   1
         Top             =   240
         Width           =   2000
      End
      Begin VB.OptionButton optLarge 
         Caption         =   "Du¿y"
         Height          =   255
         Left            =   120
         TabIndex        =   2
         Top             =   600
         Width           =   2000
      End
      Begin VB.Frame fraInner 
         Caption         =   "Wewn¹trz"
         Enabled         =   0   'False
         Height          =   500
         Left            =   120
         TabIndex        =   3
         Top             =   900
         Width           =   2200
         Begin VB.OptionButton optInner 
            Caption         =   "W œrodku"
            Height          =   255
            Left            =   120
            TabIndex        =   4
            Top             =   200
            Width           =   1800
         End
      End
   End
   Begin VB.Frame fraColor 
      Caption         =   "Kolor"
      Visible         =   0   'False
      Height          =   1500
      Left            =   2760
      TabIndex        =   5
      Top             =   120
      Width           =   2500
      Begin VB.OptionButton optRed 
         Caption         =   "Czerwony"
         Height          =   255
         Left            =   120
         TabIndex        =   6
         Top             =   240
         Width           =   2000
      End
      Begin VB.OptionButton optBlue 
         Caption         =   "Niebieski"
         Height          =   255
         Left            =   120
         TabIndex        =   7
         Top             =   600
         Width           =   2000
      End
      Begin VB.CheckBox chkBold 
         Caption         =   "Gruby"
         Height          =   255
         Left            =   120
         TabIndex        =   8
         Top             =   960
         Width           =   2000
      End
   End
   Begin VB.PictureBox picTools 
      ScaleMode       =   3  'Pixel
      Height          =   900
      Left            =   120
      TabIndex        =   9
      Top             =   1800
      Width           =   5140
      Begin VB.OptionButton optPen 
         Caption         =   "Pióro"
         Height          =   255
         Left            =   60
         TabIndex        =   10
         Top             =   60
         Width           =   1500
      End
      Begin VB.OptionButton optBrush 
         Caption         =   "Pêdzel"
         Height          =   255
         Left            =   60
         TabIndex        =   11
         Top             =   420
         Width           =   1500
      End
      Begin VB.CommandButton cmdClear 
         Caption         =   "Wyczyœæ"
         Height          =   375
         Left            =   1800
         TabIndex        =   12
         Top             =   60
         Width           =   1215
      End
   End
   Begin VB.OptionButton optFormA 
      Caption         =   "Na formularzu A"
      Height          =   255
      Left            =   120
      TabIndex        =   13
      Top             =   2880
      Width           =   2000
   End
   Begin VB.OptionButton optFormB 
      Caption         =   "Na formularzu B"
      Height          =   255
      Left            =   120
      TabIndex        =   14
      Top             =   3240
      Width           =   2000
   End
   Begin VB.CommandButton cmdClose 
      Caption         =   "Zamknij"
      Height          =   375
      Left            =   3960
      TabIndex        =   15
      Top             =   3240
      Width           =   1215
   End
End
Attribute VB_Name = "frmGroups"
Private Sub cmdOK_Click()
End Sub
