Attribute VB_Name = "modMain"
Option Explicit

' The stock list every form works on; loaded once at start-up.
Public Stock As Collection

Public Sub Main()
    Set Stock = New Collection
    LoadSampleStock
    frmMDI.Show
End Sub

Private Sub LoadSampleStock()
    AddItem "B-100", "Brass hinge", 240, 50
    AddItem "S-220", "Steel bracket", 35, 40
    AddItem "W-010", "Wood screw (box)", 12, 20
End Sub

Public Sub AddItem(ByVal Code As String, ByVal Title As String, _
                   ByVal OnHand As Long, ByVal ReorderLevel As Long)
    Dim Item As CStockItem
    Set Item = New CStockItem
    Item.Code = Code
    Item.Title = Title
    Item.OnHand = OnHand
    Item.ReorderLevel = ReorderLevel
    Stock.Add Item, Code
End Sub
