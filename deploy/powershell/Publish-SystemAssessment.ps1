<#
.SYNOPSIS
Assesses this computer with SystemAssessment.exe, as a deployment tool runs
it, and files the outcome on a share: NAME.html, or NAME.not-assessed.txt
saying why not. Prints one line that says what happened.

.DESCRIPTION
For deployment tools that keep little of a program: Intune Remediations and
Configuration Manager's Run Scripts keep the exit status and standard output,
package programs and scheduled tasks only the exit status, a Group Policy
startup script nothing. The script runs SystemAssessment.exe where it is
(nothing is copied) in a fresh folder under the temporary folder, stops it
after -TimeoutSeconds, and removes the folder.

With -Destination it files the outcome in that folder (typically a share
that computers can write to) under the computer's name, each file written
whole through a new file that then takes its name:

  NAME.html               the report page, when the computer was assessed;
                          an earlier NAME.not-assessed.txt is removed
  NAME.not-assessed.txt   when it was not: one line "KIND: DETAIL", UTF-8
                          without a byte order mark; an earlier NAME.html is
                          removed

KIND is "timed out" (DETAIL: after how long), "assessment failed" (the
program's result line says so, or without a line it ended with 1; DETAIL:
"exit status 1: " and the line it wrote on standard error, or where it
wrote none the result line's reason, or "no reason given"), "report not
written" (the same, or without a line it ended with -1, shown by some tools
as 255 or 4294967295) or "failed" (anything else: the program could not be
started, another exit status). A cleanup that failed is added to DETAIL.
SystemAssessmentSummary reads that folder.

It prints exactly one line on standard output, at most 2,048 characters of
ASCII: the JSON object the program printed, with "name" (the name filed
under) and "published" (true when the outcome was filed, false without
-Destination) added before its closing brace, or instead of "published"
"publishError" (what could not be written or removed, as text). Where the
program printed no line (it was stopped, or could not be started), the line
is {"outcome":"timed out" or "failed","reason":"...","name":...,...}. A run
whose folder could not be removed has "cleanupError" too. Where the line
would be longer than 2,048 characters, the longest of these texts are cut to
fit, each ending in "...". Nothing is written to standard error: every
failure is in the line and the exit status.

Exit status: 0 when the computer was assessed and (with -Destination) its
page was filed, and with -Role only when it also meets that role; else 1.

-Output Compliance prints instead one flat JSON object for an Intune custom
compliance policy, and ends with 0 whenever it printed it: "Outcome"
("assessed", or the note's line, such as "timed out: after 300 s"),
"Client", "WebServer" and "AppServer64" (true where the computer meets the
role; false where it was not assessed), "ClientFallsShortOf",
"WebServerFallsShortOf" and "AppServer64FallsShortOf" (the labels of the
role's rows that fail, joined by ", "; "none" where it meets the role; the
note's line where it was not assessed) and "Published" (true when the
outcome was filed). The rules file deploy/intune/client.rules.json judges
it. -Output Value, with -Role, prints only True or False (whether the
computer meets the role) and ends with 0, for a Configuration Manager
configuration item's Boolean script setting; a computer not assessed
prints the note's line and ends with 1, which Configuration Manager shows
as a discovery failure, not as non-compliant. Every output files the same
outcome with -Destination.

For tools that pass no arguments (Intune scripts), edit the SETTINGS at the
top of the param block below before uploading the script: each is used
where no argument gives the parameter. The script runs on Windows
PowerShell 2.0 and later (Windows 7, Server 2008 R2 and later) and
PowerShell 7.

.PARAMETER ProgramPath
The SystemAssessment.exe to run, where it is: a local path, or a UNC path
that the account running the script can read (for SYSTEM, the computer's
account). Default: SystemAssessment.exe in the folder of this script.

.PARAMETER Destination
The folder to file the outcome in, typically a share such as
\\server\reports$. Without it nothing is filed, and the line is the result.

.PARAMETER Name
The name to file the outcome under: NAME.html or NAME.not-assessed.txt.
Default: the computer's short name, as the remote collector names a host
when given short names.

.PARAMETER Role
Client, WebServer (Web Server or 32-bit Application Server) or AppServer64
(64-bit Application Server): the exit status is 0 only when the computer
meets this role. Without it, 0 means assessed (and filed).

.PARAMETER Output
What the script prints: Line (the default: the one line above),
Compliance (the JSON object of an Intune custom compliance policy's
discovery script) or Value (True or False for -Role, the value of a
Configuration Manager configuration item's script setting).

.PARAMETER TimeoutSeconds
How long the program may run before it is stopped (default 300; the program
ends by itself within 120 s of collecting). Between 1 and 86400.

.EXAMPLE
powershell.exe -NoProfile -ExecutionPolicy Bypass -File \\server\assess$\Publish-SystemAssessment.ps1 -Destination \\server\reports$

A Group Policy startup script (Computer Configuration, Policies, Windows
Settings, Scripts, Startup, tab Scripts: script powershell.exe with these
parameters). It runs as SYSTEM at each start, reaching both shares as the
computer's account, and runs the program from the share beside it. Group
Policy gives all startup scripts together 600 s.

.EXAMPLE
powershell.exe -NoProfile -ExecutionPolicy Bypass -File .\Publish-SystemAssessment.ps1 -Destination \\server\reports$ -Role Client

The command line of a Configuration Manager package program whose package
holds the script and SystemAssessment.exe, run with administrative rights.
The exit status is the program's success (0) or failure (1: the computer
falls short of the Client role, or could not be assessed or filed); the
page or note is on the share.

.EXAMPLE
.\Publish-SystemAssessment.ps1 -ProgramPath \\server\assess$\SystemAssessment.exe -Destination \\server\reports$ -TimeoutSeconds 150

Configuration Manager's Run Scripts: the script approved with these
parameters. Run Scripts stops a script after 60 s by default: raise the
script's time-out to at least 180 s so that the program has its 120 s and
the line is still printed. The line and the exit status are the script's
status.

.EXAMPLE
.\Publish-SystemAssessment.ps1

An Intune Remediation's detection script, run as SYSTEM, which gets no
arguments: edit the SETTINGS (ProgramPath, Destination, Role) before
uploading. Exit status 1 shows the device "with issues"; the line is the
detection output Intune keeps. A device joined only to the cloud reaches a
share anonymously: leave Destination empty there.

.EXAMPLE
.\Publish-SystemAssessment.ps1 -Output Compliance

An Intune custom compliance policy's discovery script (the script is
uploaded with its SETTINGS edited: ProgramPath, Destination if any, and
Output = 'Compliance'), judged by deploy/intune/client.rules.json. It
prints the settings as one JSON object and ends with 0.

.EXAMPLE
.\Publish-SystemAssessment.ps1 -Output Value -Role WebServer -ProgramPath \\server\assess$\SystemAssessment.exe -TimeoutSeconds 150

A Configuration Manager configuration item's script setting (Boolean,
compliance rule "equals True"), one setting per role: True or False, exit
status 0. A computer not assessed prints its note's line and ends with 1,
a discovery failure. Raise the client's script time-out to at least 180 s.

.EXAMPLE
schtasks /Create /TN "System Assessment" /RU SYSTEM /SC ONSTART /TR "powershell.exe -NoProfile -ExecutionPolicy Bypass -File C:\Tools\Publish-SystemAssessment.ps1 -Destination \\server\reports$"

A scheduled task run as SYSTEM at every start (stopped after 72 hours by
default); its last run result is the exit status, the page or note is on
the share.

.OUTPUTS
System.String. The one line.

.NOTES
Windows PowerShell reads a script without a byte order mark in the system's
code page, and writes standard output in the console's: the script and its
line are ASCII, the same in every code page.
#>
[CmdletBinding()]
param(
    # ===== SETTINGS: the values used where no argument gives one. ==========
    # Edit them for a tool that starts the script without arguments (Intune).
    [string] $ProgramPath = '',        # '' = SystemAssessment.exe beside this script
    [string] $Destination = '',        # '' = file nothing; e.g. '\\server\reports$'
    [string] $Name = '',               # '' = this computer's name
    [string] $Role = '',               # '', 'Client', 'WebServer' or 'AppServer64'
    [string] $Output = 'Line',         # 'Line', 'Compliance' (Intune) or 'Value' (ConfigMgr, with a Role)
    [int] $TimeoutSeconds = 300
    # ===== END OF SETTINGS ================================================
)

$ErrorActionPreference = 'Stop'
$ProgressPreference = 'SilentlyContinue'
$ScriptFile = $MyInvocation.MyCommand.Path

# The line's bound: what an Intune Remediation shows of the last line.
$LineLimit = 2048
$ReportName = 'System Assessment Results.html'
$RoleTitles = @{
    'Client'      = 'Client'
    'WebServer'   = 'Web Server or 32-bit Application Server'
    'AppServer64' = '64-bit Application Server'
}
$Outputs = 'Line', 'Compliance', 'Value'
# What a role's verdict is where the computer was assessed and the program's
# line gives none (a version older than the line).
$NoVerdict = 'no verdict: the program printed no result line'

# ===== SHARED HELPERS ======================================================
# The same text in Invoke-SystemAssessment.ps1 and Publish-SystemAssessment.ps1:
# each script is shipped and run alone (an Intune script is one file), so each
# carries its copy, and a test fails when the two differ. Written for Windows
# PowerShell 2.0 and later: hashtables, no [pscustomobject] or [NullString].

# The innermost exception's message: a .NET call reached through a
# method invocation or reflection wraps the exception that says what failed.
function Get-Message {
    param($Exception)
    while ($null -ne $Exception.InnerException) { $Exception = $Exception.InnerException }
    return (ConvertTo-OneLine $Exception.Message)
}

# Text as one line: line ends, tabs and other control characters become spaces.
function ConvertTo-OneLine {
    param([string] $Text)
    return ([regex]::Replace("$Text", '[\x00-\x1F\x7F]+', ' ')).Trim()
}

# The first line of a text that is not blank.
function Get-FirstLine {
    param([string] $Text)
    foreach ($line in [regex]::Split("$Text", '\r\n|\r|\n')) {
        $line = ConvertTo-OneLine $line
        if ($line.Length -gt 0) { return $line }
    }
    return ''
}

# The note's line, "KIND: DETAIL", and its bytes: that line and a line end,
# UTF-8 without a byte order mark (Set-Content and Out-File in 5.1 would
# write one, or UTF-16).
function Get-NoteLine {
    param([string] $Kind, [string] $Detail)
    return "$($Kind): $(ConvertTo-OneLine $Detail)"
}

function Get-NoteBytes {
    param([string] $Kind, [string] $Detail)
    return (New-Object Text.UTF8Encoding($false)).GetBytes("$(Get-NoteLine $Kind $Detail)`n")
}

# Writes the bytes under the name whole: into a new file beside it first
# (created only where nothing of its name is, written through to the disk),
# which then takes the name in one step, replacing an earlier file.
function Write-WholeFile {
    param([string] $Path, [byte[]] $Bytes)
    $partial = "$Path.$([guid]::NewGuid().ToString('N')).partial"
    try {
        $stream = New-Object IO.FileStream($partial, [IO.FileMode]::CreateNew, [IO.FileAccess]::Write,
            [IO.FileShare]::None, 4096, [IO.FileOptions]::WriteThrough)
        try { $stream.Write($Bytes, 0, $Bytes.Length) } finally { $stream.Close() }
        if ([IO.File]::Exists($Path)) {
            # No backup: through reflection, as PowerShell would pass $null
            # to a string parameter as ''.
            $replace = [IO.File].GetMethod('Replace', [Type[]] @([string], [string], [string]))
            [void]$replace.Invoke($null, [object[]] @($partial, $Path, $null))
        } else {
            [IO.File]::Move($partial, $Path)
        }
    } finally {
        if ([IO.File]::Exists($partial)) { try { [IO.File]::Delete($partial) } catch { } }
    }
}

# The program's result line: the last line it printed, when that is the
# JSON object it prints (ASCII, within its 1,534 characters, an outcome it
# knows); else ''.
function Get-ProgramLine {
    param([string] $Output)
    $lines = [regex]::Split("$Output", '\r\n|\r|\n')
    for ($i = $lines.Length - 1; $i -ge 0; $i--) {
        $line = $lines[$i].Trim()
        if ($line.Length -eq 0) { continue }
        $shape = '^\{("computer":"([\x20\x21\x23-\x5B\x5D-\x7E]|\\[\x21-\x7E])*",)?"outcome":"(assessed|assessment failed|report not written)"[\x20-\x7E]*\}$'
        if ($line.Length -le 1534 -and $line -cmatch $shape) { return $line }
        return ''
    }
    return ''
}

# The text of the inside of a JSON string, its escapes read.
function ConvertFrom-JsonText {
    param([string] $Text)
    $decoded = New-Object Text.StringBuilder
    for ($i = 0; $i -lt $Text.Length; $i++) {
        $c = $Text.Substring($i, 1)
        if ($c -ne '\' -or $i + 1 -ge $Text.Length) {
            [void]$decoded.Append($c)
            continue
        }
        $i++
        $c = $Text.Substring($i, 1)
        if ($c -ceq 'n') { [void]$decoded.Append("`n") }
        elseif ($c -ceq 'r') { [void]$decoded.Append("`r") }
        elseif ($c -ceq 't') { [void]$decoded.Append("`t") }
        elseif ($c -ceq 'b') { [void]$decoded.Append([char]8) }
        elseif ($c -ceq 'f') { [void]$decoded.Append([char]12) }
        elseif ($c -ceq 'u' -and $Text.Length -ge $i + 5 -and $Text.Substring($i + 1, 4) -match '^[0-9a-fA-F]{4}$') {
            [void]$decoded.Append([char][Convert]::ToInt32($Text.Substring($i + 1, 4), 16))
            $i += 4
        } else {
            [void]$decoded.Append($c)
        }
    }
    return $decoded.ToString()
}

# The note's KIND and DETAIL for a run of the program that ended (Kind ''
# for a computer assessed), as tests/data/outcomes.tsv gives them. The KIND
# is the outcome of the program's result line ($Line, from Get-ProgramLine)
# where it printed one, else what its exit status says (a program that
# crashed, or one older than the line). DETAIL is the exit status and the
# first line the program wrote on standard error, or where it wrote none
# the reason its result line gives ("no reason given" for an assessment
# that failed without either). -1 reaches a caller as -1 from Windows, 255
# from Wine and some tools, 4294967295 from others: all are shown as -1.
function Get-ProgramOutcome {
    param([long] $ExitCode, [string] $StandardError, [string] $Line)
    $kind = ''
    if ($Line -cmatch '^\{("computer":"([^"\\]|\\.)*",)?"outcome":"(assessed|assessment failed|report not written)"') { $kind = $Matches[3] }
    $reason = Get-FirstLine $StandardError
    if (-not $reason -and $Line -cmatch ',"reason":"(([^"\\]|\\.)*)"\}$') {
        $reason = ConvertTo-OneLine (ConvertFrom-JsonText $Matches[1])
    }
    if ($ExitCode -eq -1 -or $ExitCode -eq 255 -or $ExitCode -eq 4294967295) { $ExitCode = -1 }
    if (-not $kind) {
        $kind = 'failed'
        if ($ExitCode -eq 0) { $kind = 'assessed' }
        if ($ExitCode -eq 1) { $kind = 'assessment failed' }
        if ($ExitCode -eq -1) { $kind = 'report not written' }
    }
    if ($kind -eq 'assessed') { return @{ Kind = ''; Detail = '' } }
    if (-not $reason -and $kind -eq 'assessment failed') { $reason = 'no reason given' }
    $detail = "exit status $ExitCode"
    if ($reason) { $detail += ": $reason" }
    return @{ Kind = $kind; Detail = $detail }
}
# ===== END OF SHARED HELPERS ===============================================

# Why a name cannot be a file name in the destination, or '' when it can.
function Test-FileName {
    param([string] $Name)
    if ($Name.Length -eq 0) { return 'it is empty' }
    if ($Name -eq '.' -or $Name -eq '..') { return 'it is a folder name' }
    if ($Name -match '[\x00-\x20\x7F\\/:*?"<>|]') { return 'it holds a space, a control character or one of \/:*?"<>|' }
    return ''
}

# An outcome: Kind, the note's KIND ('' for a computer assessed), and Detail.
function New-Outcome {
    param([string] $Kind = '', [string] $Detail = '')
    return @{ Kind = $Kind; Detail = (ConvertTo-OneLine $Detail) }
}

# A pipe read without blocking, so that a program that never ends cannot
# hold the script: each read is started asynchronously and collected when it
# has completed. Only the first (-KeepEnd:$false) or the last 64 KiB of a
# long output are kept.
function New-PipeReader {
    param($Stream, [bool] $KeepEnd)
    $reader = @{ Stream = $Stream; Buffer = (New-Object byte[] 4096); Data = (New-Object IO.MemoryStream)
        KeepEnd = $KeepEnd; Pending = $null; Ended = $false }
    $reader.Pending = $Stream.BeginRead($reader.Buffer, 0, $reader.Buffer.Length, $null, $null)
    return $reader
}

# Collects what the pipe has delivered; $true once it has ended.
function Receive-Pipe {
    param($Reader)
    $keep = 65536
    while (-not $Reader.Ended -and $Reader.Pending.IsCompleted) {
        $count = 0
        try { $count = $Reader.Stream.EndRead($Reader.Pending) } catch { $count = 0 }
        if ($count -le 0) {
            $Reader.Ended = $true
            break
        }
        if ($Reader.KeepEnd -or $Reader.Data.Length -lt $keep) { $Reader.Data.Write($Reader.Buffer, 0, $count) }
        if ($Reader.KeepEnd -and $Reader.Data.Length -gt 2 * $keep) {
            $tail = New-Object IO.MemoryStream
            $tail.Write($Reader.Data.GetBuffer(), [int]($Reader.Data.Length - $keep), $keep)
            $Reader.Data = $tail
        }
        $Reader.Pending = $Reader.Stream.BeginRead($Reader.Buffer, 0, $Reader.Buffer.Length, $null, $null)
    }
    return $Reader.Ended
}

function Get-PipeText {
    param($Reader)
    return (New-Object Text.UTF8Encoding($false)).GetString($Reader.Data.ToArray())
}

# Runs the program in a fresh folder under the temporary folder, its
# standard input closed and its output and error read, for at most
# $TimeoutSeconds; then stops it if it still runs and removes the folder.
# Returns StartError, TimedOut, ExitCode, Output, Errors, Report (the page's
# bytes) and Cleanup (what could not be cleaned up).
function Invoke-Program {
    param([string] $Path, [int] $TimeoutSeconds)
    $run = @{ StartError = ''; TimedOut = $false; ExitCode = $null; Output = ''; Errors = ''; Report = $null; Cleanup = '' }
    $clock = [Diagnostics.Stopwatch]::StartNew()
    $folder = Join-Path ([IO.Path]::GetTempPath()) ('dravik-assessment-' + [guid]::NewGuid().ToString('N'))
    $process = $null
    $cleanup = @()
    try {
        try {
            [void][IO.Directory]::CreateDirectory($folder)
        } catch {
            $run.StartError = "could not make the folder $($folder): $(Get-Message $_.Exception)"
            return $run
        }
        $start = New-Object Diagnostics.ProcessStartInfo
        $start.FileName = $Path
        $start.WorkingDirectory = $folder
        $start.UseShellExecute = $false
        $start.CreateNoWindow = $true
        $start.RedirectStandardInput = $true
        $start.RedirectStandardOutput = $true
        $start.RedirectStandardError = $true
        try {
            $process = [Diagnostics.Process]::Start($start)
        } catch {
            $run.StartError = "could not start $($Path): $(Get-Message $_.Exception)"
            return $run
        }
        $process.StandardInput.Close()
        $output = New-PipeReader $process.StandardOutput.BaseStream $true
        $errors = New-PipeReader $process.StandardError.BaseStream $false
        while (-not $process.WaitForExit(100)) {
            [void](Receive-Pipe $output)
            [void](Receive-Pipe $errors)
            if ($clock.Elapsed.TotalSeconds -ge $TimeoutSeconds) {
                $run.TimedOut = $true
                return $run
            }
        }
        $run.ExitCode = $process.ExitCode
        # Whatever the program started may hold its pipes a little longer.
        $drain = [Diagnostics.Stopwatch]::StartNew()
        while ($drain.Elapsed.TotalSeconds -lt 10) {
            $outputEnded = Receive-Pipe $output
            if ((Receive-Pipe $errors) -and $outputEnded) { break }
            Start-Sleep -Milliseconds 50
        }
        $run.Output = Get-PipeText $output
        $run.Errors = Get-PipeText $errors
        $report = Join-Path $folder $ReportName
        if ([IO.File]::Exists($report)) {
            try {
                $run.Report = [IO.File]::ReadAllBytes($report)
            } catch {
                $run.StartError = "could not read the report: $(Get-Message $_.Exception)"
            }
        }
        return $run
    } finally {
        if ($null -ne $process -and -not $process.HasExited) {
            try { $process.Kill() } catch { }
            if (-not $process.WaitForExit(10000)) { $cleanup += "the program (process $($process.Id)) is still running" }
        }
        for ($try = 1; [IO.Directory]::Exists($folder); $try++) {
            try {
                [IO.Directory]::Delete($folder, $true)
            } catch {
                if ($try -ge 3) {
                    $cleanup += "could not remove $($folder): $(Get-Message $_.Exception)"
                    break
                }
                Start-Sleep -Milliseconds 500
            }
        }
        $run.Cleanup = $cleanup -join '; '
    }
}

# The outcome of a run; a cleanup that failed is not in it (see Add-Cleanup).
function Get-RunOutcome {
    param($Run, [int] $TimeoutSeconds)
    if ($Run.TimedOut) { return New-Outcome 'timed out' "after $TimeoutSeconds s" }
    if ($Run.StartError -and $null -eq $Run.ExitCode) { return New-Outcome 'failed' $Run.StartError }
    $said = Get-ProgramOutcome $Run.ExitCode $Run.Errors (Get-ProgramLine $Run.Output)
    $outcome = New-Outcome $said.Kind $said.Detail
    if (-not $outcome.Kind -and $Run.StartError) { return New-Outcome 'failed' "exit status 0, but $($Run.StartError)" }
    if (-not $outcome.Kind -and $null -eq $Run.Report) { return New-Outcome 'failed' 'exit status 0, but the program left no report' }
    return $outcome
}

# The outcome as its note tells it: the first failure's kind wins, a cleanup
# that failed too is added to its detail.
function Add-Cleanup {
    param($Outcome, [string] $Cleanup)
    if (-not $Cleanup -or -not $Outcome.Kind) { return $Outcome }
    return New-Outcome $Outcome.Kind "$($Outcome.Detail); cleanup failed: $Cleanup"
}

# The program's line's verdict on a role: Passed ($true or $false) and
# FallsShortOf (the labels of the role's rows that fail, joined by ", ";
# "none" where it is met), or $null where the line gives none. The labels
# are picked out of the line's text (Windows PowerShell 2.0 reads no JSON).
function Get-RoleVerdict {
    param([string] $Line, [string] $Title)
    $pattern = '\{"role":"' + [regex]::Escape($Title) + '","passed":(true|false),"failed":\[((?:"(?:[^"\\]|\\.)*",?)*)\][,}]'
    if (-not ($Line -cmatch $pattern)) { return $null }
    $passed = $Matches[1] -eq 'true'
    $labels = @()
    foreach ($label in [regex]::Matches($Matches[2], '"((?:[^"\\]|\\.)*)"')) { $labels += ConvertFrom-JsonText $label.Groups[1].Value }
    $shortOf = $labels -join ', '
    if ($passed) { $shortOf = 'none' }
    return @{ Passed = $passed; FallsShortOf = $shortOf }
}

# A text as the inside of a JSON string, ASCII only: quotes, backslashes,
# control characters and everything past ASCII escaped.
function ConvertTo-JsonText {
    param([string] $Text)
    $escaped = New-Object Text.StringBuilder
    foreach ($c in "$Text".ToCharArray()) {
        $code = [int]$c
        if ($c -eq '"') { [void]$escaped.Append('\"') }
        elseif ($c -eq '\') { [void]$escaped.Append('\\') }
        elseif ($code -eq 10) { [void]$escaped.Append('\n') }
        elseif ($code -eq 13) { [void]$escaped.Append('\r') }
        elseif ($code -eq 9) { [void]$escaped.Append('\t') }
        elseif ($code -lt 32 -or $code -gt 126) { [void]$escaped.Append(('\u{0:x4}' -f $code)) }
        else { [void]$escaped.Append($c) }
    }
    return $escaped.ToString()
}

# The text escaped as ConvertTo-JsonText does, cut to at most $Limit
# characters: a text cut ends in "...", never inside an escape or between
# the halves of a surrogate pair.
function ConvertTo-CutJsonText {
    param([string] $Text, [int] $Limit)
    $whole = ConvertTo-JsonText $Text
    if ($whole.Length -le $Limit) { return $whole }
    $pieces = '\\u[dD][89abAB][0-9a-fA-F]{2}\\u[dD][c-fC-F][0-9a-fA-F]{2}|\\u[0-9a-fA-F]{4}|\\.|.'
    $end = 0
    foreach ($piece in [regex]::Matches($whole, $pieces)) {
        if ($end + $piece.Length -gt $Limit - 3) { break }
        $end += $piece.Length
    }
    return $whole.Substring(0, $end) + '...'
}

# The line: $Head (the program's object without its closing brace, or '{')
# with the fields added, each an array of key and value (a string, or a
# boolean written as true or false). Where it would pass $LineLimit, the
# strings share the room left: those shorter than an equal share stay
# whole, the others are cut to it.
function Format-Line {
    param([string] $Head, [object[]] $Fields)
    $comma = $Head -ne '{'
    $room = $LineLimit - $Head.Length - 1
    $lengths = @{}
    foreach ($field in $Fields) {
        $room -= [int]$comma + $field[0].Length + 3
        $comma = $true
        if ($field[1] -is [bool]) { $room -= ("$($field[1])").Length } else { $room -= 2; $lengths[$field[0]] = (ConvertTo-JsonText $field[1]).Length }
    }
    $share = @{}
    do {
        $open = @($lengths.Keys | Where-Object { -not $share.ContainsKey($_) })
        if ($open.Count -eq 0) { break }
        $each = [math]::Max(0, [math]::Floor($room / $open.Count))
        $whole = @($open | Where-Object { $lengths[$_] -le $each })
        foreach ($key in $whole) {
            $share[$key] = $lengths[$key]
            $room -= $lengths[$key]
        }
    } while ($whole.Count -gt 0)
    foreach ($key in $open) { $share[$key] = $each }

    $line = New-Object Text.StringBuilder
    [void]$line.Append($Head)
    $comma = $Head -ne '{'
    foreach ($field in $Fields) {
        if ($comma) { [void]$line.Append(',') }
        $comma = $true
        [void]$line.Append('"' + $field[0] + '":')
        if ($field[1] -is [bool]) {
            [void]$line.Append(("$($field[1])").ToLowerInvariant())
        } else {
            [void]$line.Append('"' + (ConvertTo-CutJsonText $field[1] $share[$field[0]]) + '"')
        }
    }
    [void]$line.Append('}')
    return $line.ToString()
}

# Files the outcome in the folder: the page for a computer assessed, else
# the note, and removes the other one of an earlier run. Returns what
# failed, '' when all was done.
function Publish-Outcome {
    param([string] $Folder, [string] $Name, $Outcome, [byte[]] $Report)
    $page = Join-Path $Folder "$Name.html"
    $note = Join-Path $Folder "$Name.not-assessed.txt"
    $problems = @()
    $kind = $Outcome.Kind
    $detail = $Outcome.Detail
    if (-not $kind) {
        try {
            Write-WholeFile $page $Report
        } catch {
            $kind = 'failed'
            $detail = "could not write $($page): $(Get-Message $_.Exception)"
            $problems += $detail
        }
    }
    $earlier = $note
    if ($kind) {
        $earlier = $page
        try {
            Write-WholeFile $note (Get-NoteBytes $kind $detail)
        } catch {
            $problems += "could not write $($note): $(Get-Message $_.Exception)"
        }
    }
    try {
        if ([IO.File]::Exists($earlier)) { [IO.File]::Delete($earlier) }
    } catch {
        $problems += "could not remove the earlier $($earlier): $(Get-Message $_.Exception)"
    }
    return ($problems -join '; ')
}

# Why the settings cannot be used, or ''.
function Test-Settings {
    if ($Outputs -notcontains $Output) { return "-Output is '$Output'; it can be Line, Compliance or Value" }
    if ($Role -and -not $RoleTitles.ContainsKey($Role)) { return "-Role is '$Role'; it can be Client, WebServer or AppServer64" }
    if ($Output -eq 'Value' -and -not $Role) { return '-Output Value needs -Role: Client, WebServer or AppServer64' }
    if ($TimeoutSeconds -lt 1 -or $TimeoutSeconds -gt 86400) { return "-TimeoutSeconds is $TimeoutSeconds; it can be 1 to 86400" }
    $why = Test-FileName $Name
    if ($why) { return "-Name '$Name' cannot be a file name: $why" }
    if (-not $ProgramPath -and -not $ScriptFile) { return 'this script was not started from a file: give -ProgramPath' }
    return ''
}

# The object for an Intune custom compliance policy: one line of flat JSON
# whose keys are the settings, each always there with its type. $Said is
# "assessed" or the note's line; a role is met only by a computer assessed.
function Format-Compliance {
    param([string] $Said, [string] $Line, [bool] $Published)
    $verdicts = @()
    foreach ($key in 'Client', 'WebServer', 'AppServer64') {
        $verdict = @{ Passed = $false; FallsShortOf = $Said }
        if ($Said -ceq 'assessed') {
            $verdict = Get-RoleVerdict $Line $RoleTitles[$key]
            if ($null -eq $verdict) { $verdict = @{ Passed = $false; FallsShortOf = $NoVerdict } }
        }
        $verdicts += @{ Key = $key; Verdict = $verdict }
    }
    $text = '{"Outcome":"' + (ConvertTo-JsonText $Said) + '"'
    foreach ($role in $verdicts) { $text += ',"' + $role.Key + '":' + ("$($role.Verdict.Passed)").ToLowerInvariant() }
    foreach ($role in $verdicts) { $text += ',"' + $role.Key + 'FallsShortOf":"' + (ConvertTo-JsonText $role.Verdict.FallsShortOf) + '"' }
    return $text + ',"Published":' + ("$Published").ToLowerInvariant() + '}'
}

# What the run prints for -Output and the exit status it ends with:
# Text and Status. $Said is "assessed" or the note's line.
function Get-Printed {
    param([string] $Said, [string] $Line, [bool] $Published, [string] $LineOutput, [int] $LineStatus)
    if ($Output -eq 'Compliance') { return @{ Text = (Format-Compliance $Said $Line $Published); Status = 0 } }
    if ($Output -ne 'Value') { return @{ Text = $LineOutput; Status = $LineStatus } }
    if ($Said -cne 'assessed') { return @{ Text = $Said; Status = 1 } }
    $verdict = Get-RoleVerdict $Line $RoleTitles[$Role]
    if ($null -eq $verdict) { return @{ Text = "assessed: $NoVerdict"; Status = 1 } }
    if ($verdict.Passed) { return @{ Text = 'True'; Status = 0 } }
    return @{ Text = 'False'; Status = 0 }
}

try {
    if (-not $Name) { $Name = [Environment]::MachineName }
    $problem = Test-Settings
    $run = $null
    $line = ''
    $cleanup = ''
    $report = $null
    if ($problem) {
        $outcome = New-Outcome 'failed' $problem
    } else {
        if (-not $ProgramPath) { $ProgramPath = Join-Path (Split-Path -Parent $ScriptFile) 'SystemAssessment.exe' }
        $ProgramPath = $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($ProgramPath)
        $run = Invoke-Program $ProgramPath $TimeoutSeconds
        $outcome = Get-RunOutcome $run $TimeoutSeconds
        $cleanup = $run.Cleanup
        $report = $run.Report
        if (-not $run.TimedOut) { $line = Get-ProgramLine $run.Output }
    }

    $fields = @()
    if ($line) {
        $head = $line.Substring(0, $line.Length - 1)
    } else {
        # A line of the program's shape for a run that printed none.
        $head = '{'
        if ($outcome.Kind) {
            $fields += , @('outcome', $outcome.Kind)
            $fields += , @('reason', $outcome.Detail)
        } else {
            $fields += , @('outcome', 'assessed')
        }
    }
    $fields += , @('name', $Name)
    $published = $false
    $publishError = ''
    if ($Destination -and -not (Test-FileName $Name)) {
        $folder = $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($Destination)
        $publishError = Publish-Outcome $folder $Name (Add-Cleanup $outcome $cleanup) $report
        $published = -not $publishError
    }
    if ($publishError) {
        $fields += , @('publishError', $publishError)
    } else {
        $fields += , @('published', $published)
    }
    if ($cleanup) { $fields += , @('cleanupError', $cleanup) }

    $status = 1
    $verdict = $null
    if ($Role -and $RoleTitles.ContainsKey($Role)) { $verdict = Get-RoleVerdict $line $RoleTitles[$Role] }
    if (-not $outcome.Kind -and ($published -or -not $Destination) -and (-not $Role -or ($null -ne $verdict -and $verdict.Passed))) {
        $status = 0
    }
    $said = 'assessed'
    $noted = Add-Cleanup $outcome $cleanup
    if ($noted.Kind) { $said = Get-NoteLine $noted.Kind $noted.Detail }
    $printed = Get-Printed $said $line $published (Format-Line $head $fields) $status
    $status = $printed.Status
    Write-Output $printed.Text
} catch {
    $status = 1
    $problem = "the script failed: $(Get-Message $_.Exception)"
    try {
        $fields = @(, @('outcome', 'failed'))
        $fields += , @('reason', $problem)
        $fields += , @('name', "$Name")
        $fields += , @('published', $false)
        $printed = Get-Printed (Get-NoteLine 'failed' $problem) '' $false (Format-Line '{' $fields) 1
        $status = $printed.Status
        Write-Output $printed.Text
    } catch {
        Write-Output '{"outcome":"failed","reason":"the script failed","name":"","published":false}'
    }
}
exit $status
