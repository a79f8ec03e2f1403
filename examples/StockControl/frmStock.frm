VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0"; "MSCOMCTL.OCX"
Begin VB.Form frmStock 
   Caption         =   "Stock levels"
   ClientHeight    =   4200
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   7200
   MDIChild        =   -1  'True
   ScaleHeight     =   4200
   ScaleWidth      =   7200
   Begin VB.ComboBox cmbStore 
      Height          =   315
      ItemData        =   "frmStock.frx":0000
      Left            =   120
      List            =   "frmStock.frx":000A
      Style           =   2  'Dropdown List
      TabIndex        =   0
      Top             =   120
      Width           =   2535
   End
   Begin MSComctlLib.ListView lvwStock 
      Height          =   3495
      Left            =   120
      TabIndex        =   1
      Top             =   600
      Width           =   6975
      _ExtentX        =   12303
      _ExtentY        =   6165
      View            =   3
      LabelWrap       =   -1  'True
      HideSelection   =   -1  'True
      FullRowSelect   =   -1  'True
      _Version        =   393217
      BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} 
         Name            =   "Tahoma"
         Size            =   8.25
         Charset         =   0
         Weight          =   400
         Underline       =   0   'False
         Italic          =   0   'False
         Strikethrough   =   0   'False
      EndProperty
      NumItems        =   0
   End
End
Attribute VB_Name = "frmStock"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private Sub Form_Load()
    With lvwStock.ColumnHeaders
        .Add , , "Code", 1000
        .Add , , "Item", 3000
        .Add , , "On hand", 1200
    End With
    cmbStore.ListIndex = 0
    ShowStock
End Sub

' Lists every item, marking in red those that need ordering.
Private Sub ShowStock()
    Dim Item As CStockItem
    Dim Row As ListItem
    lvwStock.ListItems.Clear
    For Each Item In Stock
        Set Row = lvwStock.ListItems.Add(, Item.Code, Item.Code)
        Row.SubItems(1) = Item.Title
        Row.SubItems(2) = CStr(Item.OnHand)
        If Item.NeedsReorder Then Row.ForeColor = vbRed
    Next
End Sub

Private Sub cmbStore_Click()
    ShowStock
End Sub
