' A VBScript client of pagoret: raises the alerts that component_client_test
' expects, in order. Wine's cscript ends with 0 on an unhandled error, so
' every failure is reported through the exit code. (ChrW fails in Wine's
' VBScript, so the JScript client sends the character outside the code
' page.)
Option Explicit
On Error Resume Next

Sub Check(condition, code, what)
  If Not condition Then
    WScript.Echo "alert_client.vbs: " & what & " (error " & Hex(Err.Number) & ")"
    WScript.Quit code
  End If
End Sub

Class Spoiler
  Public Default Property Get Value
    victim = Empty
    Value = "spoilt"
  End Property
End Class

Dim pagoret, number
Set pagoret = CreateObject("CCompReg.CCompReg")
Check Err.Number = 0, 2, "cannot create CCompReg.CCompReg"

pagoret.PagoretMsg "VBScript", "Admins", "Disk C: is full"
Check Err.Number = 0, 3, "plain call failed"

pagoret.PagoretMsg vbNullString, vbNullString, vbNullString
Check Err.Number = 0, 4, "null strings failed"

pagoret.PagoretMsg "VBScript", "Admins", "before" & Chr(0) & "after"
Check Err.Number = 0, 5, "embedded NUL failed"

number = 42
pagoret.PagoretMsg "VBScript", "Admins", number
Check Err.Number = 0, 7, "number argument failed"
Check TypeName(number) = "String", 8, "the variable should now hold a string"

pagoret.PagoretMsg "VBScript", "Admins", Null
Check Err.Number <> 0, 9, "Null should be refused"
Err.Clear

' An object argument runs our code while the component converts it: here
' its default property empties the variable passed as the first argument.
Dim victim, spoiler
victim = "Victim" & number
Set spoiler = New Spoiler
pagoret.PagoretMsg victim, "Admins", spoiler
Check Err.Number = 0, 12, "object argument failed"
Check IsEmpty(victim), 13, "the default property did not run"

Set pagoret = CreateObject("CCompReg.CCompReg.1")
Check Err.Number = 0, 10, "cannot create CCompReg.CCompReg.1"
pagoret.PagoretMsg "VBScript", "Admins", "last"
Check Err.Number = 0, 11, "call through the versioned ProgID failed"

WScript.Quit 0
