VERSION 5.00
Begin VB.UserControl ctlStockGrid 
   ClientHeight    =   2880
   ClientLeft      =   0
   ClientTop       =   0
   ClientWidth     =   3840
   PropertyPages   =   "ctlStockGrid.ctx":0000
   ScaleHeight     =   2880
   ScaleWidth      =   3840
   ToolboxBitmap   =   "ctlStockGrid.ctx":0012
   Begin VB.ListBox lstRows 
      Height          =   2595
      Left            =   0
      TabIndex        =   0
      Top             =   0
      Width           =   3735
   End
End
Attribute VB_Name = "ctlStockGrid"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = True
Option Explicit

Private mColumns As Integer

Public Property Get Columns() As Integer
Attribute Columns.VB_ProcData.VB_Invoke_Property = "ppgGridColumns"
    Columns = mColumns
End Property

Public Property Let Columns(ByVal Value As Integer)
    mColumns = Value
    PropertyChanged "Columns"
End Property

Public Sub AddRow(ByVal Text As String)
    lstRows.AddItem Text
End Sub

Private Sub UserControl_Resize()
    lstRows.Move 0, 0, ScaleWidth, ScaleHeight
End Sub

Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    mColumns = PropBag.ReadProperty("Columns", 3)
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    PropBag.WriteProperty "Columns", mColumns, 3
End Sub
