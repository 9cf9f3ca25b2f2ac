' Host name, address and adapter address, late-bound by ProgID.
Dim host, adapter, name, address, pattern, started
Set host = CreateObject("Orvilib10.clsKvOrviIPHostA")
Set pattern = New RegExp

name = host.GetIPHostName
Check "host name is not empty", Len(name) > 0
CheckEqual "host name is stable", name, host.GetIPHostName()

address = host.GetIPAddress
pattern.Pattern = "^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$"
Check "address is a dotted quad: " & address, pattern.Test(address)
If pattern.Test(address) Then
    Dim part
    For Each part In Split(address, ".")
        Check "address byte in range: " & part, CLng(part) <= 255
    Next
End If

CheckEqual "HiByte 257", 1, host.HiByte(257)
CheckEqual "LoByte 257", 1, host.LoByte(257)
CheckEqual "HiByte 513", 2, host.HiByte(513)
CheckEqual "HiByte -1", 0, host.HiByte(-1)
CheckEqual "HiByte -256", 255, host.HiByte(-256)
CheckEqual "LoByte -1", 255, host.LoByte(-1)
CheckEqual "HiByte gives a Long", "Long", TypeName(host.HiByte(1))

started = host.SocketsInitialize
CheckEqual "SocketsInitialize", True, started
If started Then host.SocketsCleanup

Set adapter = CreateObject("Orvilib10.clsKvOrviEthernetAddressA")
pattern.Pattern = "^[0-9A-F]{12}$"
' The adapter number is passed by value: Wine's automation layer does not
' hand a script variable to a by-reference Long.
address = adapter.EthernetAddress(CLng(0))
Check "adapter 0 gives twelve digits: " & address, pattern.Test(address)
CheckEqual "adapter 300 is adapter 0", address, adapter.EthernetAddress(300)
Check "adapter 200 gives twelve digits", pattern.Test(adapter.EthernetAddress(200))

On Error Resume Next
Dim value
value = host.HiByte(40000)
CheckError "HiByte beyond an Integer", 6, "", ""
value = host.NoSuchMember
CheckError "unknown member", 438, "", ""
On Error GoTo 0

Finish
