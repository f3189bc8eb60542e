VERSION 5.00
Begin VB.Form frmLookAlikes 
   Caption         =   "Podobne"
   ClientHeight    =   4320
   ClientWidth     =   5400
   Begin MSMask.MaskEdBox mskDate 
      _ExtentX        =   2143
      _Version        =   393216
      MaxLength       =   10
      Mask            =   "##-##-####"
      Text            =   "01-01-2000"
      Height          =   285
      Left            =   120
      TabIndex        =   1
      Top             =   120
      Width           =   1215
   End
   Begin MSDataListLib.DataCombo dcbCity 
      _Version        =   393216
      Style           =   2
      Text            =   ""
      Height          =   315
      Left            =   1440
      TabIndex        =   2
      Top             =   120
      Width           =   1815
   End
   Begin MSDataListLib.DataList dlsNames 
      _Version        =   393216
      Height          =   1035
      Left            =   3360
      TabIndex        =   3
      Top             =   120
      Width           =   1935
   End
   Begin MSFlexGridLib.MSFlexGrid grdRows 
      _Version        =   393216
      Rows            =   5
      Cols            =   3
      Height          =   1215
      Left            =   120
      TabIndex        =   4
      Top             =   600
      Width           =   3135
   End
   Begin XtremeSuiteControls.PushButton cmdXtreme 
      _Version        =   786432
      Caption         =   "Xtreme"
      UseVisualStyle  =   -1  'True
      Height          =   375
      Left            =   3360
      TabIndex        =   5
      Top             =   1320
      Width           =   1215
   End
   Begin XtremeSuiteControls.FlatEdit txtFlat 
      _Version        =   786432
      Text            =   "p³aski"
      Height          =   285
      Left            =   120
      TabIndex        =   6
      Top             =   1920
      Width           =   1815
   End
   Begin XtremeSuiteControls.Label lblXtreme 
      _Version        =   786432
      Caption         =   "Etykieta"
      Alignment       =   1
      Height          =   255
      Left            =   2040
      TabIndex        =   7
      Top             =   1920
      Width           =   1215
   End
   Begin XtremeSuiteControls.GroupBox grpXtreme 
      _Version        =   786432
      Caption         =   "Grupa"
      Height          =   1215
      Left            =   120
      TabIndex        =   10
      Top             =   2280
      Width           =   2535
      Begin Project1.CheckBoxW chkUnicode 
         Caption         =   "Unicode"
         Value           =   1
         Height          =   255
         Left            =   120
         TabIndex        =   8
         Top             =   360
         Width           =   1455
      End
      Begin Project1.OptionButtonW optUnicode 
         Caption         =   "Opcja"
         Height          =   255
         Left            =   120
         TabIndex        =   9
         Top             =   720
         Width           =   1455
      End
   End
   Begin Project1.TextBoxW txtUnicode 
      Text            =   "tekst"
      MultiLine       =   -1  'True
      Height          =   495
      Left            =   2760
      TabIndex        =   11
      Top             =   2280
      Width           =   1455
   End
   Begin Project1.ComboBoxW cboUnicode 
      Style           =   2
      Height          =   315
      Left            =   2760
      TabIndex        =   12
      Top             =   2880
      Width           =   1455
   End
   Begin Project1.ListBoxW lstUnicode 
      Height          =   1215
      Left            =   4320
      TabIndex        =   13
      Top             =   2280
      Width           =   975
   End
   Begin Project1.dcButton cmdDc 
      Caption         =   "Przycisk"
      Height          =   375
      Left            =   120
      TabIndex        =   14
      Top             =   3600
      Width           =   1215
   End
   Begin Threed.SSFrame fra3D 
      _Version        =   65536
      Caption         =   "3D"
      Height          =   615
      Left            =   1440
      TabIndex        =   16
      Top             =   3600
      Width           =   2055
      Begin Project1.LabelW lblUnicode 
         Caption         =   "Napis"
         Height          =   255
         Left            =   120
         TabIndex        =   15
         Top             =   240
         Width           =   1215
      End
   End
   Begin VB.CommandButton cmdClose 
      Caption         =   "Zamknij"
      Cancel          =   -1  'True
      Height          =   375
      Left            =   3600
      TabIndex        =   17
      Top             =   3720
      Width           =   1215
   End
End
Attribute VB_Name = "frmLookAlikes"
