<#
.SYNOPSIS
Assesses many Windows hosts at once with SystemAssessment.exe over PowerShell
remoting and collects one report, or one note saying why not, per host.

.DESCRIPTION
Opens a session to every host named, then runs one Invoke-Command -AsJob over
all the sessions, up to -ThrottleLimit hosts at a time. On each host the
command writes SystemAssessment.exe into a fresh folder under the host's
temporary folder, runs it there without a window, sends the report back as
bytes and removes the folder. A host whose run takes longer than
-TimeoutSeconds (counted from the start of that host's own run) has its
program stopped, then its folder removed.

For every host one file is written into -ReportsFolder:

  NAME.html               the host's report, when it was assessed
  NAME.not-assessed.txt   the host's note, when it was not: one line
                          "KIND: DETAIL", UTF-8 without a byte order mark

KIND is one of "unreachable" (no session could be opened; DETAIL is the
transport's words), "timed out" (DETAIL says after how long), "assessment
failed" (the program's result line says so, or without a line it ended with
1; DETAIL is "exit status 1: " and the line the program wrote on standard
error, or where it wrote none the result line's reason, or "no reason
given"), "report not written" (the same, or without a line it ended with
-1, which some tools show as 255 or 4294967295; DETAIL is "exit status -1"
for all three, and the text) and "failed" (anything else: the copy, the
start or the read of the report failed, or another exit status N: "exit
status N" and the text). A cleanup
that fails too is added to DETAIL. Whatever fails while a host's session
opens or runs, the host ends with its note and its object. Each round
replaces a host's earlier outcome: a host assessed has its earlier note
removed, a host not assessed its earlier report, so that
SystemAssessmentSummary never counts a host from a stale report.

One object per host is written to the pipeline as its host finishes, with
the properties ComputerName, Status (Assessed, Unreachable, TimedOut,
AssessmentFailed, ReportNotWritten or Failed), Reason (DETAIL, empty for a
host assessed), Report (the report's path, empty for a host not assessed)
and Client, WebServer and AppServer64: whether the host meets the role
Client, "Web Server or 32-bit Application Server" and "64-bit Application
Server", True or False as the program's result line on its standard output
says, empty where there is no such line. For Export-Csv, Where-Object or
Format-Table.

The script runs under Windows PowerShell 5.1 and PowerShell 7 alike. The
SSH transport needs PowerShell 7 on both ends (and 7.3 for -SSHOption);
WinRM needs a WSMan client, which Windows has and PowerShell 7 elsewhere
has only when one was installed. A transport this PowerShell lacks is
refused at once, before any file is written.

.PARAMETER ComputerName
The hosts to assess, as names (or addresses) the transport connects to. Also
from the pipeline, one a line: Get-Content computers.txt | ... A name is
also the file name of the host's report and note, so the lists that
SystemAssessmentSummary writes can be fed back as they are. Blank lines and
names given twice are passed over.

.PARAMETER Transport
WinRM (the default, HTTP on port 5985 with Kerberos or NTLM), WinRMHttps
(WinRM over HTTPS, port 5986) or SSH (PowerShell 7 only; the hosts run
PowerShell 7 as the sshd subsystem "powershell"). WinRM and WinRMHttps need
a WSMan client here: on Linux or macOS without one, use SSH.

.PARAMETER Credential
The account the WinRM sessions log on with; without it, the account running
the script. Not used with SSH.

.PARAMETER UserName
The account the SSH sessions log on as. Not used with WinRM.

.PARAMETER KeyFilePath
The private key the SSH sessions authenticate with. Not used with WinRM.

.PARAMETER Port
The port to connect to on every host, when it is not the transport's
default (5985, 5986 or 22).

.PARAMETER SSHOption
ssh options for every SSH session, as a hashtable (New-PSSession -Options,
PowerShell 7.3 or later), for example
@{ UserKnownHostsFile = 'C:\fleet\known_hosts'; StrictHostKeyChecking = 'yes' }.

.PARAMETER ReportsFolder
Where the reports and notes go, one file per host (made if it is not there;
default: the folder "reports" in the current location). Give
SystemAssessmentSummary this folder.

.PARAMETER ThrottleLimit
How many hosts are opened and assessed at the same time (default 32).

.PARAMETER TimeoutSeconds
How long one host may take, counted from the start of its own run (default
300). Opening its session is bounded by the same number of seconds. The
program itself ends by itself after at most 120 s.

.PARAMETER ProgramPath
The SystemAssessment.exe to run on the hosts (default: SystemAssessment.exe
in the folder of this script, as the release ships them).

.EXAMPLE
Get-Content .\computers.txt | .\Invoke-SystemAssessment.ps1 -ReportsFolder .\reports

Assesses every host named in computers.txt over WinRM as the current user and
writes reports\NAME.html or reports\NAME.not-assessed.txt for each.

.EXAMPLE
.\Invoke-SystemAssessment.ps1 -ComputerName web01, app01 -Transport WinRMHttps -Credential (Get-Credential) | Export-Csv round.csv -NoTypeInformation

Assesses two hosts over WinRM over HTTPS with another account and keeps the
outcome of each in a CSV file.

.EXAMPLE
Get-Content .\lists\client--memory.txt | .\Invoke-SystemAssessment.ps1 | Where-Object Status -ne Assessed

Assesses again the hosts a list of SystemAssessmentSummary names (after the
memory of those hosts was fixed) and shows only those that were not assessed,
with the reason.

.EXAMPLE
.\Invoke-SystemAssessment.ps1 -ComputerName lab01 -Transport SSH -UserName admin -KeyFilePath ~\.ssh\id_ed25519 -TimeoutSeconds 120

Assesses one host over SSH with key authentication, giving it two minutes.

.INPUTS
System.String. Host names, from the pipeline.

.OUTPUTS
System.Management.Automation.PSCustomObject. One per host: ComputerName,
Status, Reason, Report, Client, WebServer, AppServer64.

.NOTES
The script is plain text and can carry an Authenticode signature; execution
policies AllSigned and RemoteSigned (for a copy that came from the internet
or a share marked so; Unblock-File removes that mark) decide whether it runs.
#>
[CmdletBinding()]
param(
    [Parameter(Mandatory = $true, ValueFromPipeline = $true, ValueFromPipelineByPropertyName = $true)]
    [Alias('Name', 'DNSHostName')]
    [string[]] $ComputerName,

    [ValidateSet('WinRM', 'WinRMHttps', 'SSH')]
    [string] $Transport = 'WinRM',

    [System.Management.Automation.PSCredential]
    [System.Management.Automation.Credential()]
    $Credential = [System.Management.Automation.PSCredential]::Empty,

    [string] $UserName,

    [string] $KeyFilePath,

    [ValidateRange(1, 65535)]
    [int] $Port,

    [hashtable] $SSHOption,

    [string] $ReportsFolder = 'reports',

    [ValidateRange(1, 1024)]
    [int] $ThrottleLimit = 32,

    [ValidateRange(1, 86400)]
    [int] $TimeoutSeconds = 300,

    [string] $ProgramPath
)

begin {
    # How long past its time a host may take to answer that its run was stopped.
    $AnswerSeconds = 30

    # Runs on the host, in the session, and so takes nothing from this script:
    # writes the program into a fresh folder, runs it there with its standard
    # handles redirected (in an SSH session, standard input and output are
    # the session itself), waits at most $TimeoutSeconds from its own start,
    # and returns what happened with what the program wrote on standard
    # output and standard error and the report's bytes. The program is
    # stopped before its folder is removed; what the removal could not do is
    # in Cleanup.
    function Invoke-AssessmentOnHost {
        param([byte[]] $ProgramBytes, [string] $ProgramName, [int] $TimeoutSeconds)
        $clock = [System.Diagnostics.Stopwatch]::StartNew()
        $result = [ordered]@{
            Failure = $null; ExitCode = $null; StandardOutput = ''; StandardError = ''; TimedOut = $false
            Report = $null; Cleanup = $null; Seconds = 0
        }
        $folder = Join-Path ([System.IO.Path]::GetTempPath()) ('dravik-assessment-' + [guid]::NewGuid().ToString('N'))
        $process = $null
        try {
            try {
                [void][System.IO.Directory]::CreateDirectory($folder)
                $program = Join-Path $folder $ProgramName
                [System.IO.File]::WriteAllBytes($program, $ProgramBytes)
                # $IsLinux and $IsMacOS are $null in Windows PowerShell 5.1.
                if ($IsLinux -or $IsMacOS) {
                    & chmod u+x -- $program
                    if ($LASTEXITCODE -ne 0) { throw "chmod ended with $LASTEXITCODE" }
                }
            } catch {
                $result.Failure = "could not copy the program into $($folder): $($_.Exception.Message)"
                return
            }
            $start = New-Object System.Diagnostics.ProcessStartInfo
            $start.FileName = $program
            $start.WorkingDirectory = $folder
            $start.UseShellExecute = $false
            $start.CreateNoWindow = $true
            $start.RedirectStandardInput = $true
            $start.RedirectStandardOutput = $true
            $start.RedirectStandardError = $true
            $start.StandardOutputEncoding = New-Object System.Text.UTF8Encoding($false)
            $start.StandardErrorEncoding = New-Object System.Text.UTF8Encoding($false)
            try {
                $process = [System.Diagnostics.Process]::Start($start)
            } catch {
                $result.Failure = "could not start the program: $($_.Exception.Message)"
                return
            }
            $process.StandardInput.Close()
            $output = $process.StandardOutput.ReadToEndAsync()
            $errors = $process.StandardError.ReadToEndAsync()
            # Short waits, so that a stopped pipeline gets through between them.
            while (-not $process.WaitForExit(200)) {
                if ($clock.Elapsed.TotalSeconds -ge $TimeoutSeconds) {
                    $result.TimedOut = $true
                    return
                }
            }
            $process.WaitForExit()
            $result.ExitCode = $process.ExitCode
            if ($output.Wait(10000)) { $result.StandardOutput = $output.Result }
            if ($errors.Wait(10000)) { $result.StandardError = $errors.Result }
            $report = Join-Path $folder 'System Assessment Results.html'
            if ([System.IO.File]::Exists($report)) {
                try {
                    $result.Report = [System.IO.File]::ReadAllBytes($report)
                } catch {
                    $result.Failure = "could not read the report: $($_.Exception.Message)"
                }
            }
        } finally {
            $cleanup = @()
            if ($null -ne $process -and -not $process.HasExited) {
                try { $process.Kill() } catch { }
                if (-not $process.WaitForExit(10000)) { $cleanup += "the program (process $($process.Id)) is still running" }
            }
            try {
                if (Test-Path -LiteralPath $folder) { Remove-Item -LiteralPath $folder -Recurse -Force -ErrorAction Stop }
            } catch {
                $cleanup += "could not remove $($folder): $($_.Exception.Message)"
            }
            if ($cleanup.Count -gt 0) { $result.Cleanup = $cleanup -join '; ' }
            $result.Seconds = [int]$clock.Elapsed.TotalSeconds
            [pscustomobject]$result
        }
    }

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

    # An outcome: Status (one of the object's statuses), Kind (the note's
    # KIND, $null for a host assessed) and Detail.
    function New-Outcome {
        param([string] $Kind, [string] $Detail)
        $status = @{
            'unreachable'        = 'Unreachable'
            'timed out'          = 'TimedOut'
            'assessment failed'  = 'AssessmentFailed'
            'report not written' = 'ReportNotWritten'
            'failed'             = 'Failed'
        }
        if ($Kind) {
            return [pscustomobject]@{ Status = $status[$Kind]; Kind = $Kind; Detail = (ConvertTo-OneLine $Detail) }
        }
        return [pscustomobject]@{ Status = 'Assessed'; Kind = $null; Detail = '' }
    }

    # The roles' verdicts in the line the program ends its standard output
    # with, a JSON object whose "roles" name each role by its title with
    # whether the host meets it: Client, WebServer and AppServer64, each $true
    # or $false, or $null where the line gives none (no line, a line that is
    # not such JSON, a role that is not there).
    function Get-RoleVerdicts {
        param([string] $StandardOutput)
        $verdicts = [ordered]@{ Client = $null; WebServer = $null; AppServer64 = $null }
        $lines = @($StandardOutput -split '\r?\n' | Where-Object { $_.Trim() })
        if ($lines.Count -eq 0) { return $verdicts }
        try {
            $line = ConvertFrom-Json -InputObject $lines[-1] -ErrorAction Stop
        } catch {
            return $verdicts
        }
        if ($null -eq $line -or -not $line.PSObject.Properties['roles']) { return $verdicts }
        foreach ($role in @($line.roles)) {
            if ($null -eq $role -or -not $role.PSObject.Properties['role'] -or -not $role.PSObject.Properties['passed']) { continue }
            if ($role.passed -isnot [bool]) { continue }
            $key = switch -CaseSensitive ("$($role.role)") {
                'Client' { 'Client' }
                'Web Server or 32-bit Application Server' { 'WebServer' }
                '64-bit Application Server' { 'AppServer64' }
            }
            if ($key) { $verdicts[$key] = $role.passed }
        }
        return $verdicts
    }

    # The outcome of a host from what Invoke-AssessmentOnHost returned: the
    # first failure's kind wins, a failed cleanup is added to its detail.
    function Get-HostOutcome {
        param($Result, [int] $TimeoutSeconds)
        if ($Result.Failure -and $null -eq $Result.ExitCode) {
            $outcome = New-Outcome 'failed' $Result.Failure
        } elseif ($Result.TimedOut) {
            $outcome = New-Outcome 'timed out' "after $TimeoutSeconds s"
        } else {
            $said = Get-ProgramOutcome $Result.ExitCode $Result.StandardError (Get-ProgramLine $Result.StandardOutput)
            $outcome = New-Outcome $said.Kind $said.Detail
            if ($outcome.Status -eq 'Assessed' -and $Result.Failure) {
                $outcome = New-Outcome 'failed' "exit status 0, but $($Result.Failure)"
            } elseif ($outcome.Status -eq 'Assessed' -and $null -eq $Result.Report) {
                $outcome = New-Outcome 'failed' 'exit status 0, but the program left no report'
            }
        }
        if ($Result.Cleanup -and $outcome.Kind) {
            $outcome.Detail = ConvertTo-OneLine "$($outcome.Detail); cleanup failed: $($Result.Cleanup)"
        }
        return $outcome
    }

    # The object the script emits for a host, the same properties for every
    # host (Export-Csv takes its columns from the first object): the roles'
    # verdicts are empty where there are none.
    function New-HostRecord {
        param([string] $Name, $Outcome, [string] $Report = '', $Verdicts = $null)
        $record = [ordered]@{
            ComputerName = $Name; Status = $Outcome.Status; Reason = $Outcome.Detail; Report = $Report
            Client = $null; WebServer = $null; AppServer64 = $null
        }
        if ($null -ne $Verdicts) {
            foreach ($role in 'Client', 'WebServer', 'AppServer64') { $record[$role] = $Verdicts[$role] }
        }
        return [pscustomobject]$record
    }

    # Records a host's outcome in the folder, replacing its earlier one (a
    # report removes the host's note, a note its report), and returns the
    # object the script emits for it.
    function Save-HostOutcome {
        param([string] $Folder, [string] $Name, $Outcome, [byte[]] $Report, $Verdicts = $null)
        $reportPath = Join-Path $Folder "$Name.html"
        $notePath = Join-Path $Folder "$Name.not-assessed.txt"
        if ($Outcome.Status -eq 'Assessed') {
            try {
                Write-WholeFile $reportPath $Report
            } catch {
                $Outcome = New-Outcome 'failed' "could not write the report $($reportPath): $(Get-Message $_.Exception)"
            }
        }
        $shownReport = ''
        $stale = $reportPath
        if ($Outcome.Status -eq 'Assessed') {
            $shownReport = $reportPath
            $stale = $notePath
        } else {
            try {
                Write-WholeFile $notePath (Get-NoteBytes $Outcome.Kind $Outcome.Detail)
            } catch {
                Write-Error "$($Name): could not write the note $($notePath): $(Get-Message $_.Exception)"
            }
        }
        if ([System.IO.File]::Exists($stale)) {
            try {
                [System.IO.File]::Delete($stale)
            } catch {
                Write-Error "$($Name): could not remove the earlier $($stale): $(Get-Message $_.Exception)"
            }
        }
        return New-HostRecord $Name $Outcome $shownReport $Verdicts
    }

    # Whether this PowerShell can open WinRM sessions, found out without
    # opening one: they go through a WSMan client library, part of Windows
    # (WsmSvc.dll) and an optional install elsewhere (libpsrpclient), which
    # is looked for as New-PSSession looks for it, from PowerShell's own
    # assembly (which also honours a module that supplies another client).
    function Test-WSManClient {
        if ($PSVersionTable.PSEdition -ne 'Core') { return $true }
        $library = 'libpsrpclient'
        if ($IsWindows) { $library = 'WsmSvc.dll' }
        $handle = [IntPtr]::Zero
        return [System.Runtime.InteropServices.NativeLibrary]::TryLoad($library, [psobject].Assembly, $null, [ref]$handle)
    }

    # Why a name cannot be a host's file name, or $null when it can.
    function Test-HostName {
        param([string] $Name)
        if ($Name -eq '.' -or $Name -eq '..') { return 'it is a folder name' }
        if ($Name -match '[\x00-\x20\x7F\\/:*?"<>|]') { return 'it holds a space, a control character or one of \/:*?"<>|' }
        return $null
    }

    # ssh's own words for hosts that got no session: ssh writes them to the
    # console, not into the error record. A line naming one host is that
    # host's; when a single host failed, every line is.
    function Get-SshReason {
        [CmdletBinding()]
        param([string[]] $Lines, [string[]] $Failed)
        $reasons = @{}
        foreach ($line in $Lines) {
            $line = ConvertTo-OneLine $line
            if (-not $line) { continue }
            $owner = $null
            if ($Failed.Count -eq 1) {
                $owner = $Failed[0]
            } else {
                $owners = @($Failed | Where-Object { $line -match ('(^|[^\w.-])' + [regex]::Escape($_) + '($|[^\w.-])') })
                if ($owners.Count -eq 1) { $owner = $owners[0] }
            }
            if ($null -eq $owner) {
                Write-Warning $line
            } elseif ($reasons.ContainsKey($owner)) {
                $reasons[$owner] += " $line"
            } else {
                $reasons[$owner] = $line
            }
        }
        return $reasons
    }

    # The host an error of New-PSSession is about: the connection of its
    # runspace, else the "[NAME] " its message begins with.
    function Get-OpenErrorHost {
        param($Record)
        $target = $Record.TargetObject
        if ($null -ne $target -and $target.PSObject.Properties['ConnectionInfo'] -and $target.ConnectionInfo) {
            return $target.ConnectionInfo.ComputerName
        }
        $text = "$($Record.ErrorDetails)"
        if (-not $text) { $text = "$Record" }
        if ($text -match '^\[([^\]]+)\] ') { return $Matches[1] }
        return $null
    }

    $names = New-Object System.Collections.Generic.List[string]
    $seen = New-Object 'System.Collections.Generic.HashSet[string]' ([System.StringComparer]::OrdinalIgnoreCase)
}

process {
    foreach ($name in $ComputerName) {
        if ($null -eq $name) { continue }
        $name = $name.Trim()
        if ($name.Length -gt 0 -and $seen.Add($name)) { $names.Add($name) }
    }
}

end {
    if ($Transport -eq 'SSH') {
        if ($PSVersionTable.PSVersion.Major -lt 7) {
            throw "The SSH transport needs PowerShell 7 (this is $($PSVersionTable.PSVersion)); use WinRM or WinRMHttps here."
        }
        if ($Credential -ne [System.Management.Automation.PSCredential]::Empty) {
            throw '-Credential is for WinRM; SSH sessions log on with -UserName and -KeyFilePath.'
        }
        if ($SSHOption -and -not (Get-Command New-PSSession).Parameters.ContainsKey('Options')) {
            throw "-SSHOption needs PowerShell 7.3 or later (this is $($PSVersionTable.PSVersion))."
        }
    } else {
        if ($UserName -or $KeyFilePath -or $SSHOption) {
            throw '-UserName, -KeyFilePath and -SSHOption are for SSH; WinRM sessions log on with -Credential.'
        }
        if (-not (Test-WSManClient)) {
            throw ("-Transport $Transport needs a WSMan client, and this PowerShell ($($PSVersionTable.PSVersion) on " +
                "$([System.Runtime.InteropServices.RuntimeInformation]::OSDescription)) has none installed; use -Transport SSH " +
                '(PowerShell 7 on the hosts as their sshd subsystem "powershell"), or run the script on Windows, which has WinRM.')
        }
    }

    $resolve = { param($Path) $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($Path) }
    if (-not $ProgramPath) { $ProgramPath = Join-Path $PSScriptRoot 'SystemAssessment.exe' }
    $ProgramPath = & $resolve $ProgramPath
    if (-not [System.IO.File]::Exists($ProgramPath)) {
        throw "There is no program at $ProgramPath; give -ProgramPath, or put SystemAssessment.exe beside this script."
    }
    $programBytes = [System.IO.File]::ReadAllBytes($ProgramPath)
    $programName = Split-Path -Leaf $ProgramPath
    $folder = & $resolve $ReportsFolder
    [void][System.IO.Directory]::CreateDirectory($folder)

    $activity = "Assessing $($names.Count) hosts with $programName"
    $progress = @{ Done = 0; Total = $names.Count }
    # Passes a host's object on, and shows how far the round is.
    $showDone = {
        param($Record)
        $progress.Done++
        $percent = [int](100 * $progress.Done / [math]::Max(1, $progress.Total))
        Write-Progress -Activity $activity -PercentComplete $percent `
            -Status "$($progress.Done) of $($progress.Total) done; $($Record.ComputerName): $($Record.Status)"
        $Record
    }
    # Records a host's outcome and passes its object on, once per host: a
    # host already accounted for keeps its first outcome.
    $accounted = New-Object 'System.Collections.Generic.HashSet[string]' ([System.StringComparer]::OrdinalIgnoreCase)
    $finish = {
        param([string] $Name, $Outcome, [byte[]] $Report, $Verdicts)
        if ($accounted.Add($Name)) { & $showDone (Save-HostOutcome $folder $Name $Outcome $Report $Verdicts) }
    }

    $hosts = New-Object System.Collections.Generic.List[string]
    foreach ($name in $names) {
        $why = Test-HostName $name
        if ($why) {
            Write-Error "$($name): not assessed, the name cannot be a file name: $why"
            & $showDone (New-HostRecord $name (New-Outcome 'failed' "the name cannot be a file name: $why"))
        } else {
            $hosts.Add($name)
        }
    }
    if ($hosts.Count -eq 0) { return }

    $sessions = @()
    $sessionOf = @{}
    $job = $null
    try {
        Write-Progress -Activity $activity -Status "Opening sessions to $($hosts.Count) hosts" -PercentComplete 0
        $openErrors = @()
        # The words of New-PSSession for each host it gave no session: its
        # own error for that host, or the error that ended the host's batch.
        $openError = @{}
        $open = @{ ErrorAction = 'SilentlyContinue'; ErrorVariable = '+openErrors' }
        if ($Port) { $open.Port = $Port }
        $sshLines = @()
        if ($Transport -eq 'SSH') {
            if ($UserName) { $open.UserName = $UserName }
            if ($KeyFilePath) { $open.KeyFilePath = & $resolve $KeyFilePath }
            if ($SSHOption) { $open.Options = $SSHOption }
            if ((Get-Command New-PSSession).Parameters.ContainsKey('ConnectingTimeout')) {
                $open.ConnectingTimeout = $TimeoutSeconds * 1000
            }
            # New-PSSession has no throttle for SSH: a batch at a time.
            $console = [Console]::Out
            $captured = New-Object System.IO.StringWriter
            [Console]::SetOut($captured)
            try {
                for ($first = 0; $first -lt $hosts.Count; $first += $ThrottleLimit) {
                    $batch = $hosts.GetRange($first, [math]::Min($ThrottleLimit, $hosts.Count - $first)).ToArray()
                    $open.HostName = $batch
                    # A batch that throws leaves the others to go on.
                    try {
                        $sessions += @(New-PSSession @open)
                    } catch [System.Management.Automation.PipelineStoppedException] {
                        throw
                    } catch {
                        $why = $_.Exception.Message
                        foreach ($name in $batch) { $openError[$name] = $why }
                    }
                }
            } finally {
                [Console]::SetOut($console)
            }
            $sshLines = @($captured.ToString() -split '\r?\n')
        } else {
            $open.ComputerName = $hosts.ToArray()
            $open.ThrottleLimit = $ThrottleLimit
            # Only Windows' New-PSSessionOption has -OpenTimeout.
            if ((Get-Command New-PSSessionOption).Parameters.ContainsKey('OpenTimeout')) {
                $open.SessionOption = New-PSSessionOption -OpenTimeout ($TimeoutSeconds * 1000)
            }
            if ($Transport -eq 'WinRMHttps') { $open.UseSSL = $true }
            if ($Credential -ne [System.Management.Automation.PSCredential]::Empty) { $open.Credential = $Credential }
            # Throws for the whole batch where it cannot open any session
            # (the catch below gives every host its note).
            $sessions = @(New-PSSession @open)
        }

        foreach ($session in $sessions) { $sessionOf[$session.ComputerName] = $session }
        foreach ($record in $openErrors) {
            $hostName = Get-OpenErrorHost $record
            if ($hostName -and -not $openError.ContainsKey($hostName)) { $openError[$hostName] = $record.Exception.Message }
        }
        $unreachable = @($hosts | Where-Object { -not $sessionOf.ContainsKey($_) })
        $sshReason = @{}
        if ($Transport -eq 'SSH') { $sshReason = Get-SshReason $sshLines $unreachable }
        foreach ($name in $unreachable) {
            $detail = 'no session could be opened'
            if ($sshReason.ContainsKey($name)) {
                $detail = $sshReason[$name]
            } elseif ($openError.ContainsKey($name)) {
                $detail = $openError[$name]
            }
            & $finish $name (New-Outcome 'unreachable' $detail)
        }
        if ($sessions.Count -eq 0) { return }

        $job = Invoke-Command -Session $sessions -ScriptBlock ${function:Invoke-AssessmentOnHost} `
            -ArgumentList $programBytes, $programName, $TimeoutSeconds -AsJob -ThrottleLimit $ThrottleLimit
        $children = @($job.ChildJobs)
        $finished = @{}
        while ($finished.Count -lt $children.Count) {
            foreach ($child in $children) {
                if ($finished.ContainsKey($child.Id)) { continue }
                $name = $child.Location
                $state = $child.JobStateInfo.State
                $late = $false
                if ($state -eq 'Running' -and $null -ne $child.PSBeginTime -and
                    ((Get-Date) - $child.PSBeginTime).TotalSeconds -gt $TimeoutSeconds + $AnswerSeconds) {
                    # The host did not stop its program in time itself (or does
                    # not answer): stopping the command runs its cleanup there.
                    Stop-Job -Job $child
                    $late = $true
                    $state = 'Stopped'
                }
                if ($state -ne 'Completed' -and $state -ne 'Failed' -and $state -ne 'Stopped') { continue }
                $finished[$child.Id] = $true
                $remoteErrors = $null
                $results = @(Receive-Job -Job $child -ErrorAction SilentlyContinue -ErrorVariable remoteErrors)
                $result = $results | Where-Object { $null -ne $_ -and $_.PSObject.Properties['TimedOut'] } | Select-Object -Last 1
                $report = $null
                $verdicts = $null
                if ($late) {
                    $outcome = New-Outcome 'timed out' "after $TimeoutSeconds s; the host did not answer for $AnswerSeconds s more and its run was stopped"
                } elseif ($null -ne $result) {
                    $outcome = Get-HostOutcome $result $TimeoutSeconds
                    $report = $result.Report
                    $verdicts = Get-RoleVerdicts $result.StandardOutput
                } else {
                    $why = $child.JobStateInfo.Reason
                    $text = 'the host returned nothing'
                    if ($why) {
                        $text = "the session broke: $($why.Message)"
                    } elseif ($remoteErrors) {
                        $text = "the host returned nothing: $($remoteErrors[0].Exception.Message)"
                    }
                    $outcome = New-Outcome 'failed' $text
                }
                if ($null -ne $result -and $result.Cleanup -and -not $outcome.Kind) {
                    Write-Warning "$($name): assessed, but the cleanup failed: $($result.Cleanup)"
                }
                & $finish $name $outcome $report $verdicts
            }
            if ($finished.Count -lt $children.Count) { Start-Sleep -Milliseconds 250 }
        }
    } catch [System.Management.Automation.PipelineStoppedException] {
        throw
    } catch {
        # Whatever broke off the round (Invoke-Command failing, say), every
        # host not yet accounted for gets its note and its object.
        $why = $_.Exception.Message
        foreach ($name in $hosts) {
            if ($sessionOf.ContainsKey($name)) {
                & $finish $name (New-Outcome 'failed' "the round broke off: $why")
            } else {
                & $finish $name (New-Outcome 'unreachable' $why)
            }
        }
    } finally {
        Write-Progress -Activity $activity -Completed
        if ($null -ne $job) { Remove-Job -Job $job -Force -ErrorAction SilentlyContinue }
        if ($sessions.Count -gt 0) { Remove-PSSession -Session $sessions -ErrorAction SilentlyContinue }
    }
}
