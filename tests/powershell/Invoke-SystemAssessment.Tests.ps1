# Pester 5 tests of deploy/powershell/Invoke-SystemAssessment.ps1: what
# Windows PowerShell 5.1 can run of it, its help, and its parts that need no
# remote host (the outcome of a run, the notes, the files of a host, the run
# on a host itself, here with shell scripts in place of the program). The
# round over SSH is test_round.py.

BeforeAll {
    $script:ScriptPath = (Resolve-Path (Join-Path $PSScriptRoot '../../deploy/powershell/Invoke-SystemAssessment.ps1')).Path
    $tokens = $null
    $parseErrors = $null
    $script:ScriptAst = [System.Management.Automation.Language.Parser]::ParseFile($ScriptPath, [ref]$tokens, [ref]$parseErrors)
    $script:ParseErrors = $parseErrors

    # The script's functions, defined here as the script defines them.
    $definitions = $ScriptAst.FindAll({ param($node) $node -is [System.Management.Automation.Language.FunctionDefinitionAst] }, $true)
    foreach ($definition in $definitions) {
        . ([scriptblock]::Create($definition.Extent.Text))
    }

    . (Join-Path $PSScriptRoot 'LanguageVersions.ps1')

    function Get-Bytes([string] $Text) { return (New-Object System.Text.UTF8Encoding($false)).GetBytes($Text) }

    # An outcome's note as its bytes read back ('' for a host assessed, which
    # has none); a byte order mark would show as U+FEFF.
    function Get-NoteText($Outcome) {
        if (-not $Outcome.Kind) { return '' }
        return [System.Text.Encoding]::UTF8.GetString((Get-NoteBytes $Outcome.Kind $Outcome.Detail)).TrimEnd("`n")
    }

    . (Join-Path $PSScriptRoot 'Outcomes.ps1')
}

Describe 'The script as Windows PowerShell 5.1 reads it' {
    It 'parses' {
        $ParseErrors | Should -BeNullOrEmpty
    }

    It 'is ASCII, which 5.1 reads alike in every code page (a file without a byte order mark is read as ANSI)' {
        $text = [System.IO.File]::ReadAllText($ScriptPath, [System.Text.Encoding]::GetEncoding('iso-8859-1'))
        [regex]::Matches($text, '[^\n\r\x20-\x7E]').Count | Should -Be 0
    }

    It 'uses nothing that 5.1 lacks' {
        Find-NewerThan $ScriptAst '5.1' | Should -BeNullOrEmpty
    }
}

Describe 'Get-Help' {
    BeforeAll {
        $script:Help = Get-Help $ScriptPath -Full
        $common = [System.Management.Automation.PSCmdlet]::CommonParameters + [System.Management.Automation.PSCmdlet]::OptionalCommonParameters
        $script:Declared = @((Get-Command $ScriptPath).Parameters.Keys | Where-Object { $common -notcontains $_ })
    }

    It 'shows every parameter the script declares, with its description' {
        $Declared.Count | Should -BeGreaterOrEqual 11
        foreach ($name in $Declared) {
            $entry = $Help.parameters.parameter | Where-Object name -eq $name
            ($entry.description | Out-String).Trim() | Should -Not -BeNullOrEmpty -Because "-$name needs a description"
        }
    }

    It 'shows examples with their explanations' {
        $examples = @($Help.examples.example)
        $examples.Count | Should -BeGreaterOrEqual 3
        foreach ($example in $examples) {
            $example.code | Should -Match 'Invoke-SystemAssessment\.ps1'
            ($example.remarks | Out-String).Trim() | Should -Not -BeNullOrEmpty
        }
    }
}

Describe 'A run''s outcome, as tests/data/outcomes.tsv gives it' {
    BeforeDiscovery {
        . (Join-Path $PSScriptRoot 'Outcomes.ps1')
        # The rows that a run on a host ends in (not "unreachable": that host has no run).
        $script:Runs = @(Get-OutcomeTable | Where-Object { $_.Kind -ne 'unreachable' })
        $script:RunsWithLine = @($Runs | Where-Object { $_.StandardError })
        $script:NotAssessed = @(Get-OutcomeTable | Where-Object { $_.Note })
    }
    BeforeAll {
        # What a host's run returns for a row: its exit status and line, else
        # a run cut by the time limit, else a failure before the program ran.
        function ConvertTo-RunResult([hashtable] $Row, [string] $Cleanup) {
            $result = @{ Cleanup = $Cleanup }
            if ($Row.Code) {
                $result += @{ ExitCode = [long]$Row.Code; StandardError = $Row.StandardError; Report = [byte[]](60, 33)
                    StandardOutput = "$($Row.ResultLine)`r`n" }
            } elseif ($Row.Kind -eq 'timed out') {
                $result.TimedOut = $true
            } else {
                $result.Failure = $Row.Detail
            }
            return [pscustomobject]$result
        }
    }

    It 'a run of "<Note>" (exit status <Code>) is <Status>, with that note' -ForEach $Runs {
        $outcome = Get-HostOutcome (ConvertTo-RunResult $_) 300
        $outcome.Status | Should -BeExactly $Status
        Get-NoteText $outcome | Should -BeExactly $Note
    }

    It 'takes the first line that is not blank of standard error "<StandardError>"' -ForEach $RunsWithLine {
        $outcome = Get-ProgramOutcome ([long]$Code) "`r`n  `r`n$StandardError`r`nanother line`tnext`r`n" $ResultLine
        Get-NoteText $outcome | Should -BeExactly $Note
    }

    It 'adds a failed cleanup to the note "<Note>"' -ForEach $Runs {
        $outcome = Get-HostOutcome (ConvertTo-RunResult $_ 'could not remove C:\t: in use') 300
        $outcome.Status | Should -BeExactly $Status
        $expected = ''
        if ($Note) { $expected = "$Note; cleanup failed: could not remove C:\t: in use" }
        Get-NoteText $outcome | Should -BeExactly $expected
    }

    It 'the kind <Kind> is the status <Status> and the note "<Note>"' -ForEach $NotAssessed {
        $outcome = New-Outcome $Kind $Detail
        $outcome.Status | Should -BeExactly $Status
        Get-NoteText $outcome | Should -BeExactly $Note
    }

    It '<What> is a failure, "<Detail>"' -TestCases @(
        @{ What = 'exit status 0 and no report'; Result = @{ ExitCode = 0 }; Detail = 'exit status 0, but the program left no report' }
        @{ What = 'a report that could not be read'; Result = @{ ExitCode = 0; Failure = 'could not read the report: locked' }
            Detail = 'exit status 0, but could not read the report: locked' }
    ) {
        $outcome = Get-HostOutcome ([pscustomobject]$Result) 300
        $outcome.Kind | Should -BeExactly 'failed'
        $outcome.Detail | Should -BeExactly $Detail
    }
}

Describe 'The roles'' verdicts in the program''s line' {
    BeforeAll {
        function Get-Shown($Verdicts) {
            return @($Verdicts.Client, $Verdicts.WebServer, $Verdicts.AppServer64 | ForEach-Object {
                    if ($_ -is [bool]) { if ($_) { 'passed' } else { 'failed' } } elseif ($null -eq $_) { 'none' } else { "not a verdict: $_" }
                }) -join ' '
        }
        $script:Roles = '"roles":[{"role":"Client","passed":true,"failed":[]},' +
        '{"role":"Web Server or 32-bit Application Server","passed":false,"failed":["Memory","Required C++ Runtimes *"]},' +
        '{"role":"64-bit Application Server","passed":false,"failed":["Server Operating System"]}]'
    }

    It '<What>: <Shown>' -TestCases @(
        @{ What = 'every role passed'; Shown = 'passed passed passed'
            Output = '{"computer":"WS-1","outcome":"assessed","roles":[{"role":"Client","passed":true,"failed":[]},{"role":"Web Server or 32-bit Application Server","passed":true,"failed":[]},{"role":"64-bit Application Server","passed":true,"failed":[]}]}' + "`r`n" }
        @{ What = 'some failed, the line after other output'; Shown = 'passed failed failed'; Output = "warming up`r`n{`"computer`":`"WS-1`",`"outcome`":`"assessed`",ROLES}`r`n`r`n" }
        @{ What = 'the report was not written'; Shown = 'passed failed failed'; Output = "{`"outcome`":`"report not written`",ROLES,`"reason`":`"Failed (Win32 error 5)`"}`r`n" }
        @{ What = 'no output'; Shown = 'none none none'; Output = '' }
        @{ What = 'a failure, without roles'; Shown = 'none none none'; Output = '{"outcome":"assessment failed","reason":"The system assessment could not be completed."}' }
        @{ What = 'a line that is not JSON'; Shown = 'none none none'; Output = "System Assessment: {`"roles`": cut`r`n" }
        @{ What = 'JSON that is not an object'; Shown = 'none none none'; Output = '[{"role":"Client","passed":true}]' }
        @{ What = 'roles of another shape'; Shown = 'none passed none'
            Output = '{"roles":[{"role":"client","passed":true},{"role":"Client","passed":"yes"},{"role":"Web Server or 32-bit Application Server","passed":true},"64-bit Application Server",null]}' }
    ) {
        Get-Shown (Get-RoleVerdicts $Output.Replace('ROLES', $Roles)) | Should -BeExactly $Shown
    }

    It 'reach the host''s object, whose properties are the same for every host' {
        $folder = Join-Path $TestDrive 'verdicts'
        New-Item -ItemType Directory $folder | Out-Null
        $record = Save-HostOutcome $folder 'web01' (New-Outcome) (Get-Bytes 'page') (Get-RoleVerdicts "{$Roles}")
        Get-Shown $record | Should -BeExactly 'passed failed failed'
        $names = 'ComputerName', 'Status', 'Reason', 'Report', 'Client', 'WebServer', 'AppServer64'
        @($record.PSObject.Properties.Name) | Should -Be $names
        @((New-HostRecord 'web02' (New-Outcome 'failed' 'x')).PSObject.Properties.Name) | Should -Be $names
    }
}

Describe 'The note' {
    It 'is "KIND: DETAIL" and a line end in UTF-8 without a byte order mark' {
        $bytes = Get-NoteBytes 'timed out' 'after 300 s'
        [System.BitConverter]::ToString($bytes) | Should -BeExactly ([System.BitConverter]::ToString((Get-Bytes "timed out: after 300 s`n")))
    }

    It 'keeps text of any language and stays one line' {
        $bytes = Get-NoteBytes 'unreachable' "Zugriff verweigert`r`n(Fehler $([char]0x00FC)ber WinRM)"
        [System.BitConverter]::ToString($bytes) | Should -BeExactly ([System.BitConverter]::ToString((Get-Bytes "unreachable: Zugriff verweigert (Fehler $([char]0x00FC)ber WinRM)`n")))
    }
}

Describe 'A host''s files' {
    BeforeEach {
        $script:Folder = Join-Path $TestDrive ([guid]::NewGuid())
        New-Item -ItemType Directory $Folder | Out-Null
        Set-Content -LiteralPath (Join-Path $Folder 'web01.html') 'earlier report'
        Set-Content -LiteralPath (Join-Path $Folder 'web01.not-assessed.txt') 'unreachable: earlier note'
    }

    It 'a host assessed has its report replaced and its earlier note removed' {
        $record = Save-HostOutcome $Folder 'web01' (New-Outcome) (Get-Bytes '<!DOCTYPE html>new</html>')
        [System.IO.File]::ReadAllText((Join-Path $Folder 'web01.html')) | Should -BeExactly '<!DOCTYPE html>new</html>'
        Join-Path $Folder 'web01.not-assessed.txt' | Should -Not -Exist
        $record.Status | Should -BeExactly 'Assessed'
        $record.Report | Should -BeExactly (Join-Path $Folder 'web01.html')
        @(Get-ChildItem $Folder).Count | Should -Be 1
    }

    It 'a host not assessed has its note written and its earlier report removed' {
        $row = Get-OutcomeTable | Where-Object { $_.Code -eq '255' } | Select-Object -First 1
        $record = Save-HostOutcome $Folder 'web01' (New-Outcome $row.Kind $row.Detail) $null
        [System.IO.File]::ReadAllText((Join-Path $Folder 'web01.not-assessed.txt')) | Should -BeExactly "$($row.Note)`n"
        Join-Path $Folder 'web01.html' | Should -Not -Exist
        $record.Status | Should -BeExactly $row.Status
        $record.Reason | Should -BeExactly $row.Detail
        $record.Report | Should -BeExactly ''
    }

    It 'a report that cannot be written leaves a note saying so' {
        Remove-Item -LiteralPath (Join-Path $Folder 'web01.html')
        New-Item -ItemType Directory (Join-Path $Folder 'web01.html') | Out-Null
        $record = Save-HostOutcome $Folder 'web01' (New-Outcome) (Get-Bytes 'page')
        $record.Status | Should -BeExactly 'Failed'
        [System.IO.File]::ReadAllText((Join-Path $Folder 'web01.not-assessed.txt')) | Should -BeLike 'failed: could not write the report *'
    }

    It 'a name <Name> is refused as a file name' -TestCases @(
        @{ Name = '..' }, @{ Name = 'a/b' }, @{ Name = 'a\b' }, @{ Name = 'fe80::1' }, @{ Name = 'a b' }, @{ Name = "a`tb" }
    ) {
        Test-HostName $Name | Should -Not -BeNullOrEmpty
    }

    It 'a name <Name> is taken' -TestCases @(@{ Name = 'web01' }, @{ Name = 'web01.corp.example' }, @{ Name = '10.0.0.7' }) {
        Test-HostName $Name | Should -BeNullOrEmpty
    }
}

Describe 'ssh''s words for the hosts without a session' {
    It 'gives each host the line that names it, and no host a line that names none or two' {
        $lines = 'ssh: Could not resolve hostname nohost.invalid: Name or service not known',
        'ssh: connect to host 10.0.0.7 port 22: Connection refused', 'banner of 10.0.0.70', 'Host key verification failed.', ''
        $reasons = Get-SshReason $lines @('nohost.invalid', '10.0.0.7', 'other') -WarningVariable warnings -WarningAction SilentlyContinue
        $reasons['nohost.invalid'] | Should -BeExactly 'ssh: Could not resolve hostname nohost.invalid: Name or service not known'
        $reasons['10.0.0.7'] | Should -BeExactly 'ssh: connect to host 10.0.0.7 port 22: Connection refused'
        $reasons.ContainsKey('other') | Should -BeFalse
        @($warnings).Count | Should -Be 2
    }

    It 'gives every line to the one host that failed' {
        $reasons = Get-SshReason @('Host key verification failed.', 'second') @('lab01')
        $reasons['lab01'] | Should -BeExactly 'Host key verification failed. second'
    }
}

Describe 'The host an error opening a session is about' {
    It 'is the one its runspace connects to, else the one its message names' {
        $exception = New-Object System.Exception 'refused'
        $byTarget = New-Object System.Management.Automation.ErrorRecord($exception, 'PSSessionOpenFailed', 'OpenError',
            [pscustomobject]@{ ConnectionInfo = [pscustomobject]@{ ComputerName = 'web01' } })
        $byMessage = New-Object System.Management.Automation.ErrorRecord($exception, 'PSSessionOpenFailed', 'OpenError', $null)
        $byMessage.ErrorDetails = New-Object System.Management.Automation.ErrorDetails('[app-02.corp] Connecting to remote server app-02.corp failed')
        $neither = New-Object System.Management.Automation.ErrorRecord($exception, 'PSSessionOpenFailed', 'OpenError', $null)
        Get-OpenErrorHost $byTarget | Should -BeExactly 'web01'
        Get-OpenErrorHost $byMessage | Should -BeExactly 'app-02.corp'
        Get-OpenErrorHost $neither | Should -BeNullOrEmpty
    }
}

# The part that runs on each host, run here: a shell script stands in for
# the program (binfmt_misc runs the real one under Wine in test_round.py).
Describe 'The run on a host' -Skip:($IsWindows -or $PSVersionTable.PSVersion.Major -lt 6) {
    BeforeAll {
        $script:SavedTemp = $env:TMPDIR
        $script:Temp = Join-Path $TestDrive 'host-temp'
        New-Item -ItemType Directory $Temp | Out-Null
        $env:TMPDIR = $Temp + '/'
        function Invoke-StandIn([string] $Script, [int] $Seconds = 20) {
            return Invoke-AssessmentOnHost (Get-Bytes "#!/bin/sh`n$Script`n") 'SystemAssessment.exe' $Seconds
        }
    }
    AfterAll {
        $env:TMPDIR = $SavedTemp
    }
    AfterEach {
        @(Get-ChildItem -Force $Temp) | Should -BeNullOrEmpty -Because 'the folder of the run is removed'
    }

    It 'returns the report''s bytes and the exit status from a folder of its own' {
        $result = Invoke-StandIn @'
case "$PWD" in */dravik-assessment-*) ;; *) exit 9 ;; esac
printf '<!DOCTYPE html>\303\244</html>' > 'System Assessment Results.html'
'@
        $result.ExitCode | Should -Be 0
        [System.BitConverter]::ToString($result.Report) | Should -BeExactly ([System.BitConverter]::ToString((Get-Bytes "<!DOCTYPE html>$([char]0xE4)</html>")))
        $result.TimedOut | Should -BeFalse
    }

    It 'returns what the program wrote on standard output and standard error, with its own standard input closed' {
        $result = Invoke-StandIn @'
cat
printf '%0300000d\r\n' 0
printf '{"outcome":"assessment failed","reason":"no WMI"}\r\n'
printf 'System Assessment: no WMI \342\200\224 (HRESULT 0x80041003)\r\n' >&2
exit 1
'@
        $result.ExitCode | Should -Be 1
        $result.StandardOutput.Length | Should -Be (300002 + 51)
        $result.StandardOutput.EndsWith("0`r`n{`"outcome`":`"assessment failed`",`"reason`":`"no WMI`"}`r`n") | Should -BeTrue
        $result.StandardError | Should -BeExactly "System Assessment: no WMI $([char]0x2014) (HRESULT 0x80041003)`r`n"
        $result.Report | Should -BeNullOrEmpty
    }

    It 'stops a program that runs past the time, then removes its folder' {
        $pidFile = Join-Path $TestDrive 'pid'
        $clock = [System.Diagnostics.Stopwatch]::StartNew()
        $result = Invoke-StandIn "echo `$`$ > '$pidFile'; exec sleep 600" 2
        $clock.Elapsed.TotalSeconds | Should -BeLessThan 30
        $result.TimedOut | Should -BeTrue
        $result.Cleanup | Should -BeNullOrEmpty
        $id = [int](Get-Content $pidFile)
        Get-Process -Id $id -ErrorAction SilentlyContinue | Should -BeNullOrEmpty
    }

    It 'says so when the program cannot be written' {
        $result = Invoke-AssessmentOnHost (Get-Bytes 'x') 'no/such/folder/SystemAssessment.exe' 5
        $result.Failure | Should -BeLike 'could not copy the program into *'
        $result.ExitCode | Should -BeNullOrEmpty
    }
}

Describe 'The parameters' {
    BeforeAll {
        $script:Program = Join-Path $TestDrive 'SystemAssessment.exe'
        Set-Content -LiteralPath $Program 'MZ'
    }

    It 'takes names from the pipeline, as lines and as objects with a ComputerName, each name once' {
        Mock Test-WSManClient { $true }
        $folder = Join-Path $TestDrive 'named'
        # Names that cannot be file names end before any session is opened.
        $records = @('a b', '', [pscustomobject]@{ ComputerName = 'c|d'; Status = 'Unreachable' }, 'A B') |
            & $ScriptPath -ProgramPath $Program -ReportsFolder $folder -ErrorAction SilentlyContinue
        @($records | ForEach-Object ComputerName) | Should -Be @('a b', 'c|d')
        @($records | ForEach-Object Status) | Should -Be @('Failed', 'Failed')
        @(Get-ChildItem $folder) | Should -BeNullOrEmpty
    }

    It 'refuses <What>, before the reports folder is made' -TestCases @(
        @{ What = 'SSH with -Credential'; Arguments = @{ Transport = 'SSH'; Credential = (New-Object System.Management.Automation.PSCredential('u', (New-Object System.Security.SecureString))) }; Message = '*-Credential is for WinRM*' }
        @{ What = 'WinRM with -KeyFilePath'; Arguments = @{ KeyFilePath = 'key' }; Message = '*are for SSH*' }
        @{ What = 'a program that is not there'; Arguments = @{ ProgramPath = 'no-such-SystemAssessment.exe' }; Message = 'There is no program at *' }
        @{ What = 'WinRM without a WSMan client'; Arguments = @{ Transport = 'WinRM' }; NoClient = $true; Message = '-Transport WinRM needs a WSMan client*use -Transport SSH*' }
        @{ What = 'WinRMHttps without a WSMan client'; Arguments = @{ Transport = 'WinRMHttps' }; NoClient = $true; Message = '-Transport WinRMHttps needs a WSMan client*' }
    ) {
        if ($NoClient) { Mock Test-WSManClient { $false } } else { Mock Test-WSManClient { $true } }
        $all = @{ ProgramPath = $Program; ComputerName = 'web01'; ReportsFolder = (Join-Path $TestDrive 'unused') }
        foreach ($name in $Arguments.Keys) { $all[$name] = $Arguments[$name] }
        { & $ScriptPath @all } | Should -Throw -ExpectedMessage $Message
        Join-Path $TestDrive 'unused' | Should -Not -Exist
    }
}

# The WSMan client library is looked for when a process loads it, on the
# library path that process started with: another PowerShell answers for one.
Describe 'Whether this PowerShell has a WSMan client' -Skip:(-not $IsLinux) {
    It 'is no here, and yes with libpsrpclient on the library path' {
        Test-WSManClient | Should -BeFalse -Because 'the PowerShell of these tests has no WSMan client library'
        $folder = Join-Path $TestDrive 'lib'
        New-Item -ItemType Directory $folder | Out-Null
        # Any shared library does under that name: the probe loads it and calls nothing.
        $any = Join-Path ([System.Runtime.InteropServices.RuntimeEnvironment]::GetRuntimeDirectory()) 'libSystem.Native.so'
        Copy-Item -LiteralPath $any (Join-Path $folder 'libpsrpclient.so')
        $command = "function Test-WSManClient { $((Get-Command Test-WSManClient).Definition) }; Test-WSManClient"
        $saved = $env:LD_LIBRARY_PATH
        $env:LD_LIBRARY_PATH = $folder
        try {
            $answer = & (Join-Path $PSHOME 'pwsh') -NoLogo -NoProfile -NonInteractive -EncodedCommand ([Convert]::ToBase64String([System.Text.Encoding]::Unicode.GetBytes($command)))
        } finally {
            $env:LD_LIBRARY_PATH = $saved
        }
        $answer | Should -BeExactly 'True'
    }
}

# Here New-PSSession throws for every host at once, before it connects to any.
Describe 'Every host ends with its note and its object' -Skip:($IsWindows -or $PSVersionTable.PSVersion.Major -lt 6) {
    It 'when New-PSSession throws for the batch: <What>' -TestCases @(
        @{ What = 'WinRM, taken to have a WSMan client that is not there'; Transport = 'WinRM'; Reason = '*WSMan*' }
        @{ What = 'SSH with a key file that is not there'; Transport = 'SSH'; Reason = '*no-such-key*' }
    ) {
        Mock Test-WSManClient { $true }
        $unreachable = Get-OutcomeTable | Where-Object { $_.Kind -eq 'unreachable' }
        $program = Join-Path $TestDrive 'SystemAssessment.exe'
        Set-Content -LiteralPath $program 'MZ'
        $folder = Join-Path $TestDrive $Transport
        $arguments = @{ Transport = $Transport; ProgramPath = $program; ReportsFolder = $folder }
        if ($Transport -eq 'SSH') { $arguments.KeyFilePath = Join-Path $TestDrive 'no-such-key' }
        $records = @('web01', 'app02' | & $ScriptPath @arguments)
        @($records | ForEach-Object ComputerName) | Should -Be @('web01', 'app02')
        foreach ($record in $records) {
            $record.Status | Should -BeExactly $unreachable.Status
            $record.Reason | Should -BeLike $Reason
            $note = Join-Path $folder "$($record.ComputerName).not-assessed.txt"
            [System.IO.File]::ReadAllText($note) | Should -BeExactly "$($unreachable.Kind): $($record.Reason)`n"
        }
    }
}
