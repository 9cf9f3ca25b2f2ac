' A report of this machine through Orvilib10, late-bound as any script would.
Option Explicit

Sub Show(label, value)
    WScript.Echo Left(label & String(28, " "), 28) & value
End Sub

Dim os, browser
Set os = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
WScript.Echo "Operating system version record"
Show "  Platform", os.PlatformName & " (" & os.PlatformID & ")"
Show "  Version", os.MajorVersion & "." & os.MinorVersion
Show "  Build", os.BuildNumber

Set browser = CreateObject("Orvilib10.clsKvOrviIEVersionInfoA")
WScript.Echo "Browser shell library"
Show "  Version", browser.MajorVersion & "." & browser.MinorVersion & "." & browser.BuildNumber

Dim host, adapter, bios
Set host = CreateObject("Orvilib10.clsKvOrviIPHostA")
WScript.Echo "Network identity"
Show "  Host name", host.GetIPHostName
Show "  IP address", host.GetIPAddress
Set adapter = CreateObject("Orvilib10.clsKvOrviEthernetAddressA")
Show "  Adapter 0 address", adapter.EthernetAddress(CLng(0))

Set bios = CreateObject("Orvilib10.clsKvOrviBiosDataA")
WScript.Echo "BIOS"
Show "  System BIOS date", bios.SystemBiosDate
Show "  System BIOS version", bios.SystemBiosVersion
Show "  System BIOS copyright", bios.SystemBiosCopyRight
Show "  Video BIOS date", bios.VideoBiosDate
Show "  Video BIOS version", Replace(bios.VideoBiosVersion, Chr(0), " / ")
Show "  Video BIOS copyright", bios.VideoBiosCopyRight
