VERSION 5.00
Object = "{BDC217C8-ED16-11CD-956C-0000C04E4C0A}#1.1#0"; "TABCTL32.OCX"
Object = "{0BA686C6-F7D3-101A-993E-0000C0EF6F5E}#1.0#0"; "THREED32.OCX"
Begin VB.Form frmTabs 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Zak³adki"
   ClientHeight    =   4320
   ClientWidth     =   5400
   Begin TabDlg.SSTab sstPages 
      Height          =   2895
      Left            =   120
      TabIndex        =   1
      Top             =   120
      Width           =   5175
      _ExtentX        =   9128
      _ExtentY        =   5106
      _Version        =   393216
      Tabs            =   3
      Tab             =   1
      TabHeight       =   520
      TabCaption(0)   =   "Ogólne"
      TabPicture(0)   =   "dialog_tabs.frx":0000
      Tab(0).ControlEnabled=   0   'False
      Tab(0).Control(0)=   "lblName"
      Tab(0).Control(0).Enabled=   0   'False
      Tab(0).Control(1)=   "txtName"
      Tab(0).Control(2)=   "fraOld"
      Tab(0).ControlCount=   3
      TabCaption(1)   =   "Wybór \ "" dalej"
      Tab(1).ControlEnabled=   -1  'True
      Tab(1).Control(0)=   "cmdApply"
      Tab(1).Control(1)=   "optSize(0)"
      Tab(1).Control(2)=   "optSize(1)"
      Tab(1).ControlCount=   3
      TabCaption(2)   =   "Lista"
      Tab(2).Control(0)=   "lstItems"
      Tab(2).Control(1)=   "optSize(2)"
      Tab(2).ControlCount=   2
      Begin VB.Label lblName 
         Caption         =   "Nazwa:"
         Height          =   255
         Left            =   -74760
         TabIndex        =   2
         Top             =   480
         Width           =   1095
      End
      Begin VB.TextBox txtName 
         Text            =   "Jan"
         Height          =   285
         Left            =   -73560
         TabIndex        =   3
         Top             =   480
         Width           =   2655
      End
      Begin VB.Frame fraOld 
         Caption         =   "Stare"
         Height          =   1215
         Left            =   -74760
         TabIndex        =   4
         Top             =   960
         Width           =   3255
         Begin VB.CheckBox chkOld 
            Caption         =   "Zachowaj"
            Height          =   255
            Left            =   120
            TabIndex        =   5
            Top             =   360
            Width           =   1935
         End
      End
      Begin VB.CommandButton cmdApply 
         Caption         =   "Zastosuj"
         Height          =   375
         Left            =   240
         TabIndex        =   6
         Top             =   480
         Width           =   1215
      End
      Begin VB.OptionButton optSize 
         Caption         =   "Ma³y"
         Index           =   0
         Height          =   255
         Left            =   240
         TabIndex        =   7
         Top             =   1080
         Width           =   1455
      End
      Begin VB.OptionButton optSize 
         Caption         =   "Du¿y"
         Index           =   1
         Height          =   255
         Left            =   240
         TabIndex        =   8
         Top             =   1440
         Width           =   1455
      End
      Begin VB.OptionButton optSize 
         Caption         =   "Inny"
         Index           =   2
         Height          =   255
         Left            =   -73200
         TabIndex        =   9
         Top             =   1080
         Width           =   1455
      End
      Begin VB.ListBox lstItems 
         Height          =   1620
         Left            =   -74760
         TabIndex        =   10
         Top             =   480
         Width           =   2415
      End
   End
   Begin Threed.SSPanel pnlInfo 
      _ExtentX        =   2990
      _Version        =   65536
      Caption         =   "Panel"
      Height          =   615
      Left            =   120
      TabIndex        =   11
      Top             =   3120
      Width           =   2535
      Begin VB.Label lblInPanel 
         Caption         =   "W panelu"
         Height          =   255
         Left            =   120
         TabIndex        =   12
         Top             =   120
         Width           =   1455
      End
   End
   Begin MSComctlLib.TabStrip tbsView 
      _ExtentX        =   4471
      _Version        =   393216
      Height          =   615
      Left            =   2760
      TabIndex        =   13
      Top             =   3120
      Width           =   2535
   End
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   4080
      TabIndex        =   0
      Top             =   3840
      Width           =   1215
   End
End
Attribute VB_Name = "frmTabs"
