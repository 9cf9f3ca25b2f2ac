' The machine-information class, late-bound by ProgID.
Class FakeForm
    Public HDC
End Class

Dim machine, form, drive, path, free, size, value
Set machine = CreateObject("Orvilib10.clsKvOrviUtilitesWinInfoA")

Check "name is not empty", Len(machine.name) > 0
Check "CurrentUser is not empty", Len(machine.CurrentUser) > 0
CheckEqual "SystemErrorCode after names", 0, machine.SystemErrorCode
CheckEqual "OSVersion of a later release", 0, machine.OSVersion
If DisplayContextWorks("screen size in pixels") Then
    CheckEqual "ScreenResolution", machine.ScreenPixelWidth & "x" & machine.ScreenPixelHeight, machine.ScreenResolution
    Check "ScreenPixelWidth is positive", machine.ScreenPixelWidth > 0
End If
CheckEqual "SoundCard is a Boolean", vbBoolean, VarType(machine.SoundCard)

Set form = New FakeForm
form.HDC = 0
CheckEqual "MaxScreenColors without a device context", 1, machine.MaxScreenColors(form)

' Directories, the enumeration given as a number and as a variable.
Check "windows directory ends in a separator", Right(machine.Directory(0), 1) = "\"
value = 1
Check "system directory ends in a separator", Right(machine.Directory(value), 1) = "\"
path = machine.Directory(2)
Check "temporary directory ends in one separator", Right(path, 1) = "\" And Right(path, 2) <> "\\"
CheckEqual "unknown directory", "", machine.Directory(7)

' Drives: the default drive when left out, the caller's text rewritten.
free = machine.DriveMBFree
size = machine.DriveMBSize()
Check "C: has free space", free > 0
Check "C: is larger than its free space", size >= free
Check "size has two decimals", Abs(size * 100 - Int(size * 100 + 0.5)) < 0.0001
drive = "c"
CheckEqual "size of c", size, machine.DriveMBSize(drive)
CheckEqual "drive text rewritten", "c:\", drive
value = machine.DriveName
Check "DriveName is a text", VarType(value) = vbString
CheckEqual "DriveType of C", 3, machine.DriveType("C")
drive = "C:/WINNT"
machine.DriveType drive
CheckEqual "DriveType appends the path's own separator", "C:/WINNT/", drive
CheckEqual "DriveType of a bad letter", 1, machine.DriveType("?")
CheckEqual "DriveMBFree of an empty text", 0, machine.DriveMBFree("")
drive = String(5000, "x")
CheckEqual "DriveMBSize of an overlong text", 0, machine.DriveMBSize(drive)
Check "DriveName of a bad letter is Empty", IsEmpty(machine.DriveName("1"))
Check "the failure is recorded", machine.SystemErrorCode <> 0

' Memory and up-time.
Check "physical memory", machine.MemoryTotalPhysical > 0
Check "available within total", machine.MemoryAvailablePhysical <= machine.MemoryTotalPhysical
Check "total with the page file", machine.MemoryInTotal >= machine.MemoryTotalPhysical
value = machine.MemoryPercentFree
Check "percent free is a whole percentage", value >= 0 And value <= 100 And value = Int(value)
Check "Running in hours", machine.Running > 0
Check "Running in seconds", Abs(machine.Running(True) - machine.Running(False) * 3600) < 60
Check "Started lies in the past", machine.Started < Now

On Error Resume Next
value = machine.MaxScreenColors(Nothing)
CheckError "MaxScreenColors of Nothing", 91, "Orvilib10.clsKvOrviUtilitesWinInfoA", ""
value = machine.MaxScreenColors(machine)
CheckError "MaxScreenColors of an object without HDC", 438, "", ""
value = machine.NoSuchMember
CheckError "unknown member", 438, "", ""
On Error GoTo 0

Finish
