VERSION 5.00
Begin VB.Form frmPaczka 
   Caption         =   "Paczka"
   ClientHeight    =   3195
   ClientWidth     =   4680
   Begin VB.Menu mnuPlik 
      Caption         =   "&Plik"
      Begin VB.Menu mnuNowy 
         Caption         =   "&Nowy"
         Shortcut        =   ^N
      End
      Begin VB.Menu mnuKreska 
         Caption         =   "-"
      End
      Begin VB.Menu mnuKoniec 
         Caption         =   "&Koniec"
         Enabled         =   0   'False
      End
   End
   Begin VB.Menu mnuPomoc 
      Caption         =   "Po&moc"
      Begin VB.Menu mnuInfo 
         Caption         =   "&O programie"
         Checked         =   -1  'True
      End
   End
End
Attribute VB_Name = "frmPaczka"
Attribute VB_GlobalNameSpace = False
