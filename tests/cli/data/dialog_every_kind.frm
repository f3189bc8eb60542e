VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; "MSCOMCTL.OCX""
Begin VB.Form frmEvery 
   Caption         =   "Ka¿dy rodzaj"
   BorderStyle     =   3  'Fixed Dialog
   ClientHeight    =   6000
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   9000
   BeginProperty Font 
      Name            =   "MS Sans Serif"
      Size            =   8.25
      Charset         =   238
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   6000
   ScaleWidth      =   9000
   StartUpPosition =   1  'CenterOwner
   Begin VB.CommandButton cmdOK 
      Caption         =   "OK"
      Default         =   -1  'True
      Height          =   375
      Left            =   7560
      TabIndex        =   0
      Top             =   120
      Width           =   1215
   End
   Begin VB.CommandButton cmdCancel 
      Caption         =   "Anuluj"
      TabStop         =   0   'False
      Height          =   375
      Left            =   7560
      TabIndex        =   1
      Top             =   600
      Width           =   1215
   End
   Begin VB.Label lblName 
      Alignment       =   1  'Right Justify
      Caption         =   "&Nazwisko:"
      UseMnemonic     =   0   'False
      Height          =   255
      Left            =   120
      TabIndex        =   2
      Top             =   150
      Width           =   1500
   End
   Begin VB.TextBox txtName 
      Text            =   "Jan ""Kowalski"" C:\new"
      Height          =   315
      Left            =   1740
      TabIndex        =   3
      Top             =   120
      Width           =   3000
   End
   Begin VB.Label lblBox 
      Alignment       =   2  'Center
      BorderStyle     =   1  'Fixed Single
      Caption         =   "Œrodek"
      Height          =   255
      Left            =   4860
      TabIndex        =   4
      Top             =   150
      Width           =   1200
   End
   Begin VB.TextBox txtNotes 
      Locked          =   -1  'True
      MultiLine       =   -1  'True
      ScrollBars      =   2  'Vertical
      Text            =   ""
      Height          =   975
      Left            =   120
      TabIndex        =   5
      Top             =   600
      Width           =   4620
   End
   Begin VB.TextBox txtPass 
      Enabled         =   0   'False
      PasswordChar    =   "*"
      Text            =   "tajne"
      Height          =   315
      Left            =   120
      TabIndex        =   6
      Top             =   1680
      Width           =   2000
   End
   Begin VB.CheckBox chkAgree 
      Caption         =   "Zgoda"
      Height          =   255
      Left            =   2280
      TabIndex        =   7
      Top             =   1680
      Width           =   2400
   End
   Begin VB.ComboBox cboEdit 
      Sorted          =   -1  'True
      Text            =   "Combo1"
      Height          =   315
      Left            =   120
      TabIndex        =   8
      Top             =   2160
      Width           =   2000
   End
   Begin VB.ComboBox cboList 
      Style           =   2  'Dropdown List
      Height          =   315
      Left            =   2280
      TabIndex        =   9
      Top             =   2160
      Width           =   2000
   End
   Begin VB.ListBox lstItems 
      MultiSelect     =   2  'Extended
      Sorted          =   -1  'True
      Height          =   1395
      Left            =   4860
      TabIndex        =   10
      Top             =   600
      Width           =   2500
   End
   Begin VB.HScrollBar hsbZoom 
      Height          =   255
      Left            =   120
      TabIndex        =   11
      Top             =   2640
      Width           =   4000
   End
   Begin VB.VScrollBar vsbPos 
      Height          =   1500
      Left            =   4260
      TabIndex        =   12
      Top             =   2160
      Width           =   255
   End
   Begin VB.PictureBox picLogo 
      Height          =   1000
      Left            =   4860
      TabIndex        =   13
      Top             =   2160
      Width           =   1000
   End
   Begin VB.Image imgIcon 
      Height          =   480
      Left            =   6000
      Top             =   2160
      Width           =   480
   End
   Begin VB.Shape shpBox 
      Height          =   600
      Left            =   6600
      Top             =   2160
      Width           =   600
   End
   Begin VB.Line linTop 
      X1              =   120
      X2              =   7320
      Y1              =   3360
      Y2              =   3360
   End
   Begin VB.Line linSide 
      X1              =   7440
      X2              =   7440
      Y1              =   1200
      Y2              =   3360
   End
   Begin MSComctlLib.ListView lvwFiles 
      View            =   3  'lvwReport
      Height          =   1200
      Left            =   120
      TabIndex        =   14
      Top             =   3480
      Width           =   3000
   End
   Begin MSComctlLib.TreeView tvwTree 
      Height          =   1200
      Left            =   3240
      TabIndex        =   15
      Top             =   3480
      Width           =   2000
   End
   Begin MSComctlLib.ProgressBar prgDone 
      Height          =   255
      Left            =   5400
      TabIndex        =   16
      Top             =   3480
      Width           =   2000
   End
   Begin MSComctlLib.Slider sldVolume 
      Height          =   450
      Left            =   5400
      TabIndex        =   17
      Top             =   3840
      Width           =   2000
   End
   Begin MSComCtl2.UpDown updCount 
      Height          =   315
      Left            =   7560
      TabIndex        =   18
      Top             =   3480
      Width           =   255
   End
   Begin MSComctlLib.TabStrip tabPages 
      Height          =   700
      Left            =   120
      TabIndex        =   19
      Top             =   4800
      Width           =   3000
   End
   Begin RichTextLib.RichTextBox rtfText 
      Text            =   "Tekst"
      Height          =   700
      Left            =   3240
      TabIndex        =   20
      Top             =   4800
      Width           =   2000
   End
   Begin VB.CommandButton cmdDigit 
      Caption         =   "0"
      Index           =   0
      Height          =   375
      Left            =   5400
      TabIndex        =   21
      Top             =   4800
      Width           =   495
   End
   Begin VB.CommandButton cmdDigit 
      Caption         =   "1"
      Index           =   1
      Height          =   375
      Left            =   6000
      TabIndex        =   22
      Top             =   4800
      Width           =   495
   End
   Begin VB.CommandButton cmdHidden 
      Caption         =   "Ukryty"
      Visible         =   0   'False
      Height          =   375
      Left            =   6600
      TabIndex        =   23
      Top             =   4800
      Width           =   1215
   End
   Begin VB.DriveListBox drvDisk 
      Height          =   315
      Left            =   5400
      TabIndex        =   24
      Top             =   4320
      Width           =   2000
   End
   Begin VB.Timer tmrTick 
      Interval        =   1000
      Left            =   8400
      Top             =   5400
   End
   Begin MSComDlg.CommonDialog dlgOpen 
      _ExtentX        =   847
      _ExtentY        =   847
      Left            =   7800
      Top             =   5400
   End
   Begin MSComctlLib.StatusBar sbrStatus 
      Align           =   2  'Align Bottom
      Height          =   315
      Left            =   0
      TabIndex        =   25
      Top             =   5685
      Width           =   9000
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
      End
   End
End
Attribute VB_Name = "frmEvery"
Private Sub cmdOK_Click()
End Sub
