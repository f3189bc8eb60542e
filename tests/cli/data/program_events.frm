VERSION 5.00
Object = "{BDC217C8-ED16-11CD-956C-0000C04E4C0A}#1.1#0"; "TABCTL32.OCX"
Begin VB.Form frmProgram 
   BackColor       =   &H00C0FFFF&
   Caption         =   "Program test"
   ClientHeight    =   4800
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   6600
   Begin VB.Timer Timer1 
      Interval        =   100
      Left            =   6000
      Top             =   4200
   End
   Begin VB.Timer tmrOff 
      Enabled         =   0   'False
      Interval        =   100
      Left            =   6000
      Top             =   3600
   End
   Begin VB.CommandButton Command1 
      Caption         =   "Go"
      Default         =   -1  'True
      Height          =   375
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   1215
   End
   Begin VB.CheckBox Check1 
      Caption         =   "Check"
      Height          =   255
      Left            =   120
      TabIndex        =   1
      Top             =   600
      Value           =   1  'Checked
      Width           =   1215
      BeginProperty Font 
         Name            =   "Courier New"
         Size            =   9.75
         Charset         =   238
         Weight          =   700
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
   End
   Begin VB.OptionButton Option1 
      Caption         =   "A"
      Height          =   255
      Index           =   0
      Left            =   120
      TabIndex        =   2
      Top             =   960
      Value           =   -1  'True
      Width           =   1215
   End
   Begin VB.OptionButton Option1 
      Caption         =   "B"
      Height          =   255
      Index           =   1
      Left            =   120
      TabIndex        =   3
      Top             =   1260
      Width           =   1215
   End
   Begin VB.TextBox Text1 
      ForeColor       =   &H000000FF&
      Height          =   285
      Left            =   1500
      MaxLength       =   10
      TabIndex        =   4
      Text            =   "hello"
      Top             =   120
      Width           =   1800
   End
   Begin VB.HScrollBar HScroll1 
      Height          =   255
      LargeChange     =   10
      Left            =   1500
      Max             =   100
      Min             =   -5
      SmallChange     =   2
      TabIndex        =   5
      Top             =   600
      Value           =   20
      Width           =   1800
   End
   Begin VB.ComboBox Combo1 
      Height          =   315
      ItemData        =   "program_events.frx":0016
      Left            =   1500
      List            =   "program_events.frx":0000
      TabIndex        =   6
      Text            =   "Green"
      Top             =   960
      Width           =   1800
   End
   Begin VB.ListBox List1 
      BackColor       =   &H8000000F&
      Height          =   645
      Left            =   1500
      List            =   "program_events.frx":0027
      TabIndex        =   7
      Top             =   1380
      Width           =   1800
   End
   Begin VB.CommandButton message 
      Caption         =   "Named message"
      Height          =   375
      Left            =   3500
      TabIndex        =   8
      Top             =   120
      Width           =   1400
   End
   Begin VB.CommandButton Przycisk¹ 
      Caption         =   "Non-ASCII name"
      Height          =   375
      Left            =   3500
      TabIndex        =   9
      Top             =   600
      Width           =   1400
   End
   Begin TabDlg.SSTab SSTab1 
      Height          =   2055
      Left            =   120
      TabIndex        =   10
      Top             =   2400
      Width           =   5000
      _ExtentX        =   8819
      _ExtentY        =   3625
      _Version        =   393216
      Tabs            =   2
      TabHeight       =   520
      TabCaption(0)   =   "Pierwsza"
      TabPicture(0)   =   "program_events.frx":003D
      Tab(0).ControlEnabled=   -1  'True
      Tab(0).Control(0)=   "cmdFirst"
      Tab(0).ControlCount=   1
      TabCaption(1)   =   "Druga ¿ó³w"
      TabPicture(1)   =   "program_events.frx":0059
      Tab(1).ControlEnabled=   0   'False
      Tab(1).Control(0)=   "cmdSecond"
      Tab(1).ControlCount=   1
      Begin VB.CommandButton cmdSecond 
         Caption         =   "Second"
         Height          =   375
         Left            =   -74760
         TabIndex        =   12
         Top             =   600
         Width           =   1215
      End
      Begin VB.CommandButton cmdFirst 
         Caption         =   "First"
         Height          =   375
         Left            =   240
         TabIndex        =   11
         Top             =   600
         Width           =   1215
      End
   End
   Begin MSComctlLib.Slider Slider1 
      Height          =   495
      Left            =   3500
      TabIndex        =   13
      Top             =   1200
      Width           =   2000
      Max             =   50
      Value           =   5
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open"
         Shortcut        =   ^O
      End
      Begin VB.Menu mnuRecent 
         Caption         =   "One"
         Index           =   0
      End
      Begin VB.Menu mnuRecent 
         Caption         =   "Two"
         Index           =   1
      End
      Begin VB.Menu mnuSep 
         Caption         =   "-"
      End
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
      End
   End
End
Attribute VB_Name = "frmProgram"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Option Explicit
Dim ticks As Integer

Private Sub Form_Load()
    ticks = 0 ' starts the count */ /* and ends no comment ??/
End Sub

Private Sub mnuOpen_Click()
End Sub

Private Sub mnuRecent_Click(Index As Integer)
End Sub

Private Sub mnuExit_Click()
    Unload Me
End Sub

Private Sub Command1_Click()
    MsgBox "Go"
End Sub

Private Sub Check1_Click()
End Sub

Private Sub Option1_Click(Index As Integer)
End Sub

Private Sub Text1_Change()
End Sub

Private Sub Text1_KeyPress(KeyAscii As Integer)
End Sub

Private Sub HScroll1_Change()
End Sub

Private Sub Combo1_Click()
End Sub

Private Sub List1_DblClick()
End Sub

Private Sub message_Click()
End Sub

Private Sub Przycisk¹_Click()
End Sub

Private Sub cmdFirst_Click()
End Sub

Private Sub cmdSecond_Click()
End Sub

Private Sub SSTab1_Click(PreviousTab As Integer)
End Sub

Private Sub Slider1_Change()
End Sub

Private Sub Slider1_Scroll()
End Sub

Private Sub Timer1_Timer()
    ticks = ticks + 1
End Sub

Private Sub tmrOff_Timer()
End Sub

Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
End Sub

Private Sub Form_Unload(Cancel As Integer)
End Sub

Private Function Twice(ByVal n As Integer) As Integer
    Twice = 2 * n
End Function
