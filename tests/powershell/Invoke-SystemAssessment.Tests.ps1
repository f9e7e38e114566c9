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

Describe 'A run''s outcome' {
    It 'exit status <ExitCode> and <StandardError.Length> characters on standard error is <Status>: "<Detail>"' -TestCases @(
        @{ ExitCode = 0; StandardError = ''; Status = 'Assessed'; Detail = '' }
        @{ ExitCode = 1; StandardError = "System Assessment: The system assessment could not be completed: WMI (HRESULT 0x80041003)`r`n"
            Status = 'AssessmentFailed'; Detail = 'exit status 1: System Assessment: The system assessment could not be completed: WMI (HRESULT 0x80041003)' }
        @{ ExitCode = 1; StandardError = "`r`n  `r`nSystem Assessment: second line`r`n"; Status = 'AssessmentFailed'; Detail = 'exit status 1: System Assessment: second line' }
        @{ ExitCode = 1; StandardError = ''; Status = 'AssessmentFailed'; Detail = 'exit status 1: no reason given' }
        @{ ExitCode = -1; StandardError = ''; Status = 'ReportNotWritten'; Detail = 'exit status -1' }
        @{ ExitCode = 255; StandardError = ''; Status = 'ReportNotWritten'; Detail = 'exit status 255' }
        @{ ExitCode = 4294967295; StandardError = "Folder: read-only`n"; Status = 'ReportNotWritten'; Detail = 'exit status 4294967295: Folder: read-only' }
        @{ ExitCode = 2; StandardError = "what`tnow"; Status = 'Failed'; Detail = 'exit status 2: what now' }
        @{ ExitCode = 124; StandardError = ''; Status = 'Failed'; Detail = 'exit status 124' }
    ) {
        $outcome = Get-ExitStatusOutcome $ExitCode $StandardError
        $outcome.Status | Should -BeExactly $Status
        $outcome.Detail | Should -BeExactly $Detail
    }

    It '<What> is <Status>: "<Detail>"' -TestCases @(
        @{ What = 'a copy that failed'; Result = @{ Failure = 'could not copy the program into C:\t: disk full'; Cleanup = 'could not remove C:\t: in use' }
            Status = 'Failed'; Detail = 'could not copy the program into C:\t: disk full; cleanup failed: could not remove C:\t: in use' }
        @{ What = 'a run cut by the timeout'; Result = @{ TimedOut = $true }; Status = 'TimedOut'; Detail = 'after 300 s' }
        @{ What = 'a run cut whose program would not end'; Result = @{ TimedOut = $true; Cleanup = 'the program (process 7) is still running' }
            Status = 'TimedOut'; Detail = 'after 300 s; cleanup failed: the program (process 7) is still running' }
        @{ What = 'exit status 0 with a report'; Result = @{ ExitCode = 0; Report = [byte[]](60, 33); Cleanup = 'could not remove C:\t' }
            Status = 'Assessed'; Detail = '' }
        @{ What = 'exit status 0 and no report'; Result = @{ ExitCode = 0 }; Status = 'Failed'; Detail = 'exit status 0, but the program left no report' }
        @{ What = 'a report that could not be read'; Result = @{ ExitCode = 0; Failure = 'could not read the report: locked' }
            Status = 'Failed'; Detail = 'exit status 0, but could not read the report: locked' }
        @{ What = 'exit status 1 and a failed cleanup'; Result = @{ ExitCode = 1; StandardError = 'S: no WMI'; Cleanup = 'could not remove /tmp/x' }
            Status = 'AssessmentFailed'; Detail = 'exit status 1: S: no WMI; cleanup failed: could not remove /tmp/x' }
    ) {
        $outcome = Get-HostOutcome ([pscustomobject]$Result) 300
        $outcome.Status | Should -BeExactly $Status
        $outcome.Detail | Should -BeExactly $Detail
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
        $record = Save-HostOutcome $Folder 'web01' (New-Outcome 'report not written' 'exit status 255') $null
        [System.IO.File]::ReadAllText((Join-Path $Folder 'web01.not-assessed.txt')) | Should -BeExactly "report not written: exit status 255`n"
        Join-Path $Folder 'web01.html' | Should -Not -Exist
        $record.Status | Should -BeExactly 'ReportNotWritten'
        $record.Reason | Should -BeExactly 'exit status 255'
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

    It 'returns what the program wrote on standard error, with its own standard input closed and its output drained' {
        $result = Invoke-StandIn @'
cat
printf '%0300000d' 0
printf 'System Assessment: no WMI \342\200\224 (HRESULT 0x80041003)\r\n' >&2
exit 1
'@
        $result.ExitCode | Should -Be 1
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
    It 'takes names from the pipeline, as lines and as objects with a ComputerName, each name once' {
        $program = Join-Path $TestDrive 'SystemAssessment.exe'
        Set-Content -LiteralPath $program 'MZ'
        $folder = Join-Path $TestDrive 'named'
        # Names that cannot be file names end before any session is opened.
        $records = @('a b', '', [pscustomobject]@{ ComputerName = 'c|d'; Status = 'Unreachable' }, 'A B') |
            & $ScriptPath -ProgramPath $program -ReportsFolder $folder -ErrorAction SilentlyContinue
        @($records | ForEach-Object ComputerName) | Should -Be @('a b', 'c|d')
        @($records | ForEach-Object Status) | Should -Be @('Failed', 'Failed')
        @(Get-ChildItem $folder) | Should -BeNullOrEmpty
    }

    It 'refuses <What>' -TestCases @(
        @{ What = 'SSH with -Credential'; Arguments = @{ Transport = 'SSH'; Credential = (New-Object System.Management.Automation.PSCredential('u', (New-Object System.Security.SecureString))) }; Message = '*-Credential is for WinRM*' }
        @{ What = 'WinRM with -KeyFilePath'; Arguments = @{ KeyFilePath = 'key' }; Message = '*are for SSH*' }
        @{ What = 'a program that is not there'; Arguments = @{ ProgramPath = 'no-such-SystemAssessment.exe' }; Message = 'There is no program at *' }
    ) {
        { & $ScriptPath -ComputerName web01 -ReportsFolder (Join-Path $TestDrive 'unused') @Arguments } | Should -Throw -ExpectedMessage $Message
        Join-Path $TestDrive 'unused' | Should -Not -Exist
    }
}
