' A script client of the library: builds a small show through the collections, saves it,
' loads it into a second document and checks what comes back. The script host ends with
' 0 even after an uncaught error, so every step is checked here and a failure ends the
' script through WScript.Quit with a non-zero code.
'   cscript //nologo ShowRoundTrip.vbs FOLDER
Option Explicit
On Error Resume Next

Dim failures : failures = 0

Sub Check(what, ok)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & what & ": error " & Err.Number & " " & Err.Description & " (" & Err.Source & ")"
    failures = failures + 1
    Err.Clear
  ElseIf Not ok Then
    WScript.Echo "FAIL " & what
    failures = failures + 1
  End If
End Sub

Dim folder : folder = WScript.Arguments(0)
Dim show : show = folder & "\Script show.dls"

Dim doc : Set doc = CreateObject("QuarnelDataAPI3.File")
Check "CreateObject", IsObject(doc)
If failures > 0 Then WScript.Quit 2

doc.Title = "Script show"
doc.Author = "cscript"
doc.Length = 88200 * 4
Check "stored values", doc.Title = "Script show" And doc.ImageBrightness = 100 And doc.AutoRefresh

Dim channels : Set channels = doc.Channels
Check "reserved channel", channels.GetBounds() = 0 And channels.Name(0) = "[Reserved Channel]"
Dim i
For i = 1 To 3
  Check "Channels.Add " & i, channels.Add(0, 1, i, "Lamp " & i, i) = i
  channels.Color(i) = 255 * i
Next
Check "Channels.Add of a taken address", channels.Add(0, 1, 2, "Again", 9) = -1
Check "Channels.Find", channels.Find(0, 1, 3) = 3

Dim events : Set events = doc.Events
Dim e
For i = 1 To 3
  e = events.Add(0, 1, i, 0)
  events.Command(e) = 33
  events.StartIntensity(e) = 1
  events.EndIntensity(e) = 1
  e = events.Add(0, 1, i, 44100 * i)
  events.Command(e) = 33
  events.StartIntensity(e) = 240
  events.EndIntensity(e) = 240
Next
Check "Events.Add with Overwrite omitted", events.Add(0, 1, 1, 0) = -1
Check "event count", events.GetBounds() = 5
Check "same object twice", doc.Events Is events

Dim timeline : Set timeline = doc.Timeline
Check "Timeline.Add", timeline.Add(0) = 0 And timeline.Add(88200) = 1

' A numbered error arrives with its number.
Dim table : Set table = CreateObject("QuarnelDataAPI3.DataTable")
Dim unused : unused = table.LastColumnNumber
Dim number : number = Err.Number
Dim source : source = Err.Source
Err.Clear
Check "error 9 with its source", number = 9 And source = "DataTable.LastColumnNumber"

doc.Save show, 0
Check "Save", True

Dim copy : Set copy = CreateObject("QuarnelDataAPI3.File")
copy.Load show, 0
Check "Load", True
Check "loaded values", copy.Title = "Script show" And copy.Author = "cscript" And copy.Length = 88200 * 4
Check "loaded channels", copy.Channels.GetBounds() = 3 And copy.Channels.Name(2) = "Lamp 2" And copy.Channels.Color(3) = 765
Check "loaded timeline", copy.Timeline.GetBounds() = 1 And copy.Timeline.SampleNumber(1) = 88200
Dim loaded : Set loaded = copy.Events
Check "loaded events", loaded.FindBegin(0, 1, 2) >= 0
Dim at : at = loaded.FindLeft(0, 1, 2, 88200)
Check "event in force", at >= 0 And loaded.SampleNumber(at) = 88200 And loaded.StartIntensity(at) = 240

' Replacing a collection by reference.
Set copy.Channels = channels
Check "Set by reference", copy.Channels Is channels

If failures > 0 Then
  WScript.Echo failures & " check(s) failed"
  WScript.Quit 1
End If
WScript.Echo "all checks passed"
WScript.Quit 0
