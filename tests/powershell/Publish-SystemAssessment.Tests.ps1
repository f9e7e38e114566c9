# Pester 5 tests of deploy/powershell/Publish-SystemAssessment.ps1: what
# Windows PowerShell 2.0 can run of it, its help, the note of each outcome
# against tests/data/outcomes.tsv, the line and its bound, and whole runs
# of the script with shell scripts in place of the program: the line, the
# exit status and the files in the destination for each outcome. The real
# program under Wine is test_publish.py's.

BeforeDiscovery {
    . (Join-Path $PSScriptRoot 'Outcomes.ps1')
    # The rows of the one table of outcomes that a run of the program ends in.
    $script:Outcomes = @(Get-OutcomeTable | Where-Object { $_.Code })
    # Those a shell script can end in (an exit status of 0 to 255).
    $script:ShellOutcomes = @($Outcomes | Where-Object { [long]$_.Code -ge 0 -and [long]$_.Code -le 255 })
    $script:CanBeImmutable = $IsLinux -and (& id -u) -eq '0' -and (Get-Command chattr -ErrorAction SilentlyContinue)
}

BeforeAll {
    $script:ScriptPath = (Resolve-Path (Join-Path $PSScriptRoot '../../deploy/powershell/Publish-SystemAssessment.ps1')).Path
    $parseErrors = $null
    $script:ScriptAst = [System.Management.Automation.Language.Parser]::ParseFile($ScriptPath, [ref]$null, [ref]$parseErrors)
    $script:ParseErrors = $parseErrors
    foreach ($definition in $ScriptAst.FindAll({ param($node) $node -is [System.Management.Automation.Language.FunctionDefinitionAst] }, $true)) {
        . ([scriptblock]::Create($definition.Extent.Text))
    }
    # The script's constants, as the script sets them.
    foreach ($statement in $ScriptAst.EndBlock.Statements) {
        if ($statement -is [System.Management.Automation.Language.AssignmentStatementAst] -and
            $statement.Left.VariablePath.UserPath -match '^(LineLimit|ReportName|RoleTitles|Outputs|NoVerdict)$') {
            . ([scriptblock]::Create($statement.Extent.Text))
        }
    }
    # What a Remediation shows of the last line.
    $script:Bound = 2048
    . (Join-Path $PSScriptRoot 'LanguageVersions.ps1')
    . (Join-Path $PSScriptRoot 'Outcomes.ps1')

    # The program's line of a computer assessed, as it prints it.
    $script:AssessedLine = '{"computer":"WS-0142","outcome":"assessed","roles":[{"role":"Client","passed":true,"failed":[]},' +
    '{"role":"Web Server or 32-bit Application Server","passed":false,"failed":["Memory","Required C++ Runtimes *"]},' +
    '{"role":"64-bit Application Server","passed":false,"failed":["Server Operating System","Memory"]}]}'

    # The line parsed by a strict parser (System.Text.Json, RFC 8259), then as an object.
    function ConvertFrom-Line([string] $Line) {
        $document = [System.Text.Json.JsonDocument]::Parse($Line)
        foreach ($property in $document.RootElement.EnumerateObject()) {
            if ($property.Value.ValueKind -eq 'String') { $null = $property.Value.GetString() }
        }
        $document.Dispose()
        return $Line | ConvertFrom-Json
    }

    function Get-NoteText($Outcome) {
        return [System.Text.Encoding]::UTF8.GetString((Get-NoteBytes $Outcome.Kind $Outcome.Detail))
    }

    # A shell script in the program's place.
    function New-StandIn([string] $Body, [string] $Path = (Join-Path $TestDrive "standin-$([guid]::NewGuid()).sh")) {
        [System.IO.File]::WriteAllText($Path, "#!/bin/sh`n$Body`n")
        & chmod +x $Path
        return $Path
    }

    # Runs the script here; its output (every stream), the one line parsed
    # and its exit status.
    function Invoke-Publish([hashtable] $Arguments) {
        $output = @(& $ScriptPath @Arguments *>&1)
        $status = $LASTEXITCODE
        $output.Count | Should -Be 1 -Because "the script writes one line and nothing else ($($output -join ' | '))"
        $output[0] | Should -BeOfType [string]
        $output[0] | Should -Match '^[\x20-\x7E]+$'
        $output[0].Length | Should -BeLessOrEqual $Bound
        $json = $null
        if ($output[0].StartsWith('{')) { $json = ConvertFrom-Line $output[0] }
        return @{ Line = $output[0]; Json = $json; Status = $status }
    }
}

Describe 'The script as Windows PowerShell 2.0 reads it' {
    It 'parses' {
        $ParseErrors | Should -BeNullOrEmpty
    }

    It 'is ASCII, which Windows PowerShell reads alike in every code page' {
        $text = [System.IO.File]::ReadAllText($ScriptPath, [System.Text.Encoding]::GetEncoding('iso-8859-1'))
        [regex]::Matches($text, '[^\n\r\x20-\x7E]').Count | Should -Be 0
    }

    It 'uses nothing that 2.0 lacks' {
        Find-NewerThan $ScriptAst '2.0' | Should -BeNullOrEmpty
    }
}

Describe 'Get-Help' {
    BeforeAll {
        $script:Help = Get-Help $ScriptPath -Full
    }

    It 'describes every parameter the script declares' {
        $declared = @($ScriptAst.ParamBlock.Parameters | ForEach-Object { $_.Name.VariablePath.UserPath })
        $declared.Count | Should -Be 6
        foreach ($name in $declared) {
            $entry = $Help.parameters.parameter | Where-Object name -eq $name
            ($entry.description | Out-String).Trim() | Should -Not -BeNullOrEmpty -Because "-$name needs a description"
        }
    }

    It 'has an example, with its explanation, for each deployment tool' {
        $examples = @($Help.examples.example)
        $examples.Count | Should -Be 7
        foreach ($example in $examples) {
            $example.code | Should -Match 'Publish-SystemAssessment\.ps1'
            ($example.remarks | Out-String).Trim() | Should -Not -BeNullOrEmpty
        }
        $remarks = $examples.remarks | Out-String
        foreach ($tool in 'Group Policy', 'package program', 'Run Scripts', 'Remediation', 'custom compliance', 'configuration item', 'scheduled task') {
            $remarks | Should -Match $tool
        }
    }
}

Describe 'The note of each outcome, as tests/data/outcomes.tsv gives it' {
    It 'exit status <Code> with "<StandardError>" on standard error and the line "<ResultLine>" is "<Note>"' -ForEach $Outcomes {
        # The first line that is not blank is the one taken.
        $errors = $StandardError
        if ($errors) { $errors = "`r`n  `r`n$errors`r`nanother line`r`n" }
        $outcome = Get-ProgramOutcome ([long]$Code) $errors $ResultLine
        if ($Kind -eq 'assessed') {
            $outcome.Kind | Should -BeNullOrEmpty
        } else {
            Get-NoteText $outcome | Should -BeExactly "$Note`n"
        }
    }

    It 'a run stopped at its time limit is the table''s "timed out"' {
        $row = Get-OutcomeTable | Where-Object { $_.Kind -eq 'timed out' }
        Get-NoteText (Get-RunOutcome @{ TimedOut = $true } 300) | Should -BeExactly "$($row.Note)`n"
    }

    It 'adds a cleanup that failed' {
        Get-NoteText (Add-Cleanup (Get-ProgramOutcome 3 '' '') 'could not remove /tmp/x') | Should -BeExactly "failed: exit status 3; cleanup failed: could not remove /tmp/x`n"
    }
}

Describe 'The line' {
    It 'escapes what is no printable ASCII and cuts the longest texts to fit, each ending in "..."' -TestCases @(
        @{ What = 'a long name and a long error'; Name = 'n' * 3000; Error = 'e' * 3000; NameCut = $true; ErrorCut = $true }
        @{ What = 'a short name and a long error'; Name = 'web01'; Error = ('could not write "\\srv\r$\x": ' + [char]0x00E9 + "`t") * 300; NameCut = $false; ErrorCut = $true }
        @{ What = 'astral characters cut'; Name = [char]::ConvertFromUtf32(0x1F600) * 1500; Error = 'short'; NameCut = $true; ErrorCut = $false }
        @{ What = 'texts that fit'; Name = "we`"b\01"; Error = "line`r`nend"; NameCut = $false; ErrorCut = $false }
    ) {
        $line = Format-Line $AssessedLine.TrimEnd('}') @(@('name', $Name), @('publishError', $Error), @('published', $false))
        $line | Should -Match '^[\x20-\x7E]+$'
        $line.Length | Should -BeLessOrEqual $Bound
        $json = ConvertFrom-Line $line
        $json.roles[2].failed[0] | Should -BeExactly 'Server Operating System'
        $json.published | Should -BeFalse
        foreach ($field in @(@('name', $Name, $NameCut), @('publishError', $Error, $ErrorCut))) {
            $value = $json.($field[0])
            if ($field[2]) {
                $value | Should -Match '\.\.\.$'
                $field[1].StartsWith($value.Substring(0, $value.Length - 3), [System.StringComparison]::Ordinal) | Should -BeTrue
                $value.Length | Should -BeGreaterThan 100
            } else {
                $value | Should -BeExactly $field[1]
            }
        }
        if ($NameCut -or $ErrorCut) { $line.Length | Should -BeGreaterThan ($Bound - 16) }
    }

    It 'the program''s line is its last line when that is its JSON object: <What>' -TestCases @(
        @{ What = 'after other output'; Output = "noise`r`nLINE`r`n`r`n"; Name = 'WS-0142'; Taken = $true }
        @{ What = 'not the last line'; Output = "LINE`r`nsomething else`r`n"; Name = 'WS-0142'; Taken = $false }
        @{ What = 'not ASCII'; Output = 'LINE'; Name = "WS-$([char]0x00E9)"; Taken = $false }
        @{ What = 'longer than the program writes'; Output = 'LINE'; Name = 'W' * 1400; Taken = $false }
        @{ What = 'an outcome the program has not'; Output = '{"outcome":"unknown"}'; Name = 'WS-0142'; Taken = $false }
    ) {
        $line = $AssessedLine.Replace('WS-0142', $Name)
        $expected = ''
        if ($Taken) { $expected = $line }
        Get-ProgramLine $Output.Replace('LINE', $line) | Should -BeExactly $expected
    }
}

Describe 'A run of the script' -Skip:($IsWindows) {
    BeforeAll {
        $script:SavedTemp = $env:TMPDIR
        $script:Temp = Join-Path $TestDrive 'temp'
        New-Item -ItemType Directory $Temp | Out-Null
        $env:TMPDIR = $Temp + '/'
    }
    AfterAll {
        $env:TMPDIR = $SavedTemp
    }
    BeforeEach {
        $script:Destination = Join-Path $TestDrive ([guid]::NewGuid())
        New-Item -ItemType Directory $Destination | Out-Null
        $script:PagePath = Join-Path $Destination 'web01.html'
        $script:NotePath = Join-Path $Destination 'web01.not-assessed.txt'
    }
    AfterEach {
        @(Get-ChildItem -Force $Temp -Filter 'dravik-assessment-*') | Should -BeNullOrEmpty -Because 'the folder of the run is removed'
    }

    It 'exit status <Code> with "<StandardError>" and the line "<ResultLine>": the line, the exit status and "<Note>" in the destination' -ForEach $ShellOutcomes {
        Set-Content -LiteralPath $PagePath 'earlier page'
        Set-Content -LiteralPath $NotePath 'timed out: earlier note'
        $body = @"
[ -z '$StandardError' ] || printf '%s\r\n' '$StandardError' >&2
[ '$Kind' != assessed ] || printf '<!DOCTYPE html>page</html>' > 'System Assessment Results.html'
[ -z '$ResultLine' ] || printf 'noise\r\n%s\r\n' '$ResultLine'
exit $Code
"@
        $run = Invoke-Publish @{ ProgramPath = (New-StandIn $body); Destination = $Destination; Name = 'web01' }
        if ($ResultLine) {
            $run.Line | Should -BeExactly ($ResultLine.TrimEnd('}') + ',"name":"web01","published":true}')
        } elseif ($Kind -eq 'assessed') {
            $run.Line | Should -BeExactly '{"outcome":"assessed","name":"web01","published":true}'
        } else {
            $run.Line | Should -BeExactly ('{"outcome":"' + $Kind + '","reason":"' + (ConvertTo-JsonText $Detail) + '","name":"web01","published":true}')
        }
        if ($Kind -eq 'assessed') {
            $run.Status | Should -Be 0
            [System.IO.File]::ReadAllText($PagePath) | Should -BeExactly '<!DOCTYPE html>page</html>'
            $NotePath | Should -Not -Exist
        } else {
            $run.Status | Should -Be 1
            [System.IO.File]::ReadAllText($NotePath) | Should -BeExactly "$Note`n"
            $PagePath | Should -Not -Exist
        }
        @(Get-ChildItem $Destination).Count | Should -Be 1
    }

    It '-Role <Role>: exit status <Status>' -TestCases @(
        @{ Role = 'Client'; Status = 0; Outcome = 'assessed' }
        @{ Role = 'webserver'; Status = 1; Outcome = 'assessed' }
        @{ Role = 'AppServer64'; Status = 1; Outcome = 'assessed' }
        @{ Role = 'Server'; Status = 1; Outcome = 'failed' }
    ) {
        $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
        $run = Invoke-Publish @{ ProgramPath = $program; Destination = $Destination; Name = 'web01'; Role = $Role }
        $run.Status | Should -Be $Status
        $run.Json.outcome | Should -BeExactly $Outcome
        $run.Json.published | Should -BeTrue
    }

    It '-Output <Output> <Role> of <What>: "<Printed>", exit status <Status>' -TestCases @(
        @{ What = 'a computer assessed'; Output = 'Compliance'; Program = 'assessed'; Status = 0
            Printed = '{"Outcome":"assessed","Client":true,"WebServer":false,"AppServer64":false,"ClientFallsShortOf":"none",' +
            '"WebServerFallsShortOf":"Memory, Required C++ Runtimes *","AppServer64FallsShortOf":"Server Operating System, Memory","Published":true}' }
        @{ What = 'a computer not assessed'; Output = 'compliance'; Program = 'failed'; Status = 0
            Printed = '{"Outcome":"NOTE","Client":false,"WebServer":false,"AppServer64":false,"ClientFallsShortOf":"NOTE",' +
            '"WebServerFallsShortOf":"NOTE","AppServer64FallsShortOf":"NOTE","Published":true}' }
        @{ What = 'a program without the line'; Output = 'Compliance'; Program = 'no line'; Status = 0
            Printed = '{"Outcome":"assessed","Client":false,"WebServer":false,"AppServer64":false,"ClientFallsShortOf":"VERDICT",' +
            '"WebServerFallsShortOf":"VERDICT","AppServer64FallsShortOf":"VERDICT","Published":true}' }
        @{ What = 'a computer that meets the role'; Output = 'Value'; Role = 'client'; Program = 'assessed'; Status = 0; Printed = 'True' }
        @{ What = 'a computer that falls short of it'; Output = 'Value'; Role = 'WebServer'; Program = 'assessed'; Status = 0; Printed = 'False' }
        @{ What = 'a computer not assessed'; Output = 'Value'; Role = 'AppServer64'; Program = 'failed'; Status = 1; Printed = 'NOTE' }
        @{ What = 'a program without the line'; Output = 'Value'; Role = 'Client'; Program = 'no line'; Status = 1; Printed = 'assessed: VERDICT' }
        @{ What = 'no role'; Output = 'Value'; Program = 'assessed'; Status = 1
            Printed = 'failed: -Output Value needs -Role: Client, WebServer or AppServer64'; Filed = $true }
        @{ What = 'a role of nobody''s'; Output = 'Value'; Role = 'Server'; Program = 'assessed'; Status = 1
            Printed = 'failed: -Role is ''Server''; it can be Client, WebServer or AppServer64'; Filed = $true }
        @{ What = 'an output of nobody''s'; Output = 'Xml'; Program = 'assessed'; Status = 1
            Printed = '{"outcome":"failed","reason":"-Output is ''Xml''; it can be Line, Compliance or Value","name":"web01","published":true}'; Filed = $true }
    ) {
        $programs = @{
            'assessed' = "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
            'failed'   = "echo 'System Assessment: no WMI' >&2; echo '{`"outcome`":`"assessment failed`",`"reason`":`"no WMI`"}'; exit 1"
            'no line'  = "printf '<p/>' > 'System Assessment Results.html'"
        }
        $arguments = @{ ProgramPath = (New-StandIn $programs[$Program]); Destination = $Destination; Name = 'web01'; Output = $Output }
        if ($Role) { $arguments.Role = $Role }
        $run = Invoke-Publish $arguments
        $failure = 'assessment failed: exit status 1: System Assessment: no WMI'
        $run.Line | Should -BeExactly $Printed.Replace('NOTE', $failure).Replace('VERDICT', $NoVerdict)
        $run.Status | Should -Be $Status
        if ($Program -eq 'failed') { [System.IO.File]::ReadAllText($NotePath) | Should -BeExactly "$failure`n" }
        if ($Program -eq 'assessed' -and -not $Filed) { [System.IO.File]::ReadAllText($PagePath) | Should -BeExactly '<p/>' }
        if ($Filed) { [System.IO.File]::ReadAllText($NotePath) | Should -BeLike "failed: -*`n" }
        if ($run.Json -and $Output -eq 'Compliance') {
            @($run.Json.PSObject.Properties | ForEach-Object { "$($_.Name) $($_.TypeNameOfValue)" }) | Should -Be @(
                'Outcome System.String', 'Client System.Boolean', 'WebServer System.Boolean', 'AppServer64 System.Boolean',
                'ClientFallsShortOf System.String', 'WebServerFallsShortOf System.String', 'AppServer64FallsShortOf System.String',
                'Published System.Boolean')
        }
    }

    It '-Output Compliance without -Destination: nothing filed, Published false' {
        $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
        $run = Invoke-Publish @{ ProgramPath = $program; Output = 'Compliance' }
        $run.Status | Should -Be 0
        $run.Json.Published | Should -BeFalse
        $run.Json.Outcome | Should -BeExactly 'assessed'
    }

    It 'without -Destination files nothing and the line is the result' {
        $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
        $run = Invoke-Publish @{ ProgramPath = $program; Role = 'Client' }
        $run.Status | Should -Be 0
        $run.Json.published | Should -BeFalse
        $run.Json.name | Should -BeExactly ([Environment]::MachineName)
    }

    It 'stops a program that runs past -TimeoutSeconds, and says so' {
        $pidFile = Join-Path $TestDrive 'pid'
        $program = New-StandIn "echo `$`$ > '$pidFile'; exec sleep 600"
        $clock = [System.Diagnostics.Stopwatch]::StartNew()
        $run = Invoke-Publish @{ ProgramPath = $program; Destination = $Destination; Name = 'web01'; TimeoutSeconds = 2 }
        $clock.Elapsed.TotalSeconds | Should -BeLessThan 30
        $run.Status | Should -Be 1
        $run.Line | Should -BeExactly '{"outcome":"timed out","reason":"after 2 s","name":"web01","published":true}'
        [System.IO.File]::ReadAllText($NotePath) | Should -BeExactly "timed out: after 2 s`n"
        Get-Process -Id ([int](Get-Content $pidFile)) -ErrorAction SilentlyContinue | Should -BeNullOrEmpty
    }

    It 'says so when the program cannot be started' {
        $run = Invoke-Publish @{ ProgramPath = (Join-Path $TestDrive 'none/SystemAssessment.exe'); Destination = $Destination; Name = 'web01' }
        $run.Status | Should -Be 1
        $run.Json.outcome | Should -BeExactly 'failed'
        $run.Json.reason | Should -BeLike 'could not start *none/SystemAssessment.exe: *'
        [System.IO.File]::ReadAllText($NotePath) | Should -BeExactly "failed: $($run.Json.reason)`n"
    }

    It 'a destination that cannot be written is the line''s publishError, within the bound however long' {
        $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
        Set-Content -LiteralPath (Join-Path $Destination 'file') 'a file in the folder''s place'
        $long = 'x' * 3000
        $run = Invoke-Publish @{ ProgramPath = $program; Destination = (Join-Path $Destination "file/$long"); Name = $long }
        $run.Status | Should -Be 1
        $run.Json.PSObject.Properties.Name | Should -Not -Contain 'published'
        $run.Json.publishError | Should -BeLike 'could not write *...'
        $run.Json.name | Should -BeLike 'xxx*...'
        $run.Json.roles.Count | Should -Be 3
    }

    It 'an earlier note it cannot remove is the line''s publishError' -Skip:(-not $CanBeImmutable) {
        Set-Content -LiteralPath $NotePath 'timed out: earlier note'
        & chattr +i $NotePath
        try {
            $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
            $run = Invoke-Publish @{ ProgramPath = $program; Destination = $Destination; Name = 'web01' }
        } finally {
            & chattr -i $NotePath
        }
        $run.Status | Should -Be 1
        $run.Json.publishError | Should -BeLike "could not remove the earlier $($NotePath): *"
        [System.IO.File]::ReadAllText($PagePath) | Should -BeExactly '<p/>'
    }

    It 'takes its settings from the block at its top, and the program beside it' {
        $folder = Join-Path $TestDrive 'uploaded'
        New-Item -ItemType Directory $folder | Out-Null
        New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'" (Join-Path $folder 'SystemAssessment.exe') | Out-Null
        $text = [System.IO.File]::ReadAllText($ScriptPath)
        $edited = $text.Replace("[string] `$Destination = ''", "[string] `$Destination = '$Destination'").Replace("[string] `$Role = ''", "[string] `$Role = 'AppServer64'")
        $edited | Should -Not -Be $text
        $copy = Join-Path $folder 'Publish-SystemAssessment.ps1'
        [System.IO.File]::WriteAllText($copy, $edited)
        $output = @(& $copy)
        $LASTEXITCODE | Should -Be 1 -Because 'the host falls short of the 64-bit Application Server role'
        (ConvertFrom-Line $output[0]).published | Should -BeTrue
        Join-Path $Destination "$([Environment]::MachineName).html" | Should -Exist
    }

    It 'as a process: one line on standard output, nothing on standard error, exit status <Status>' -TestCases @(
        @{ Status = 0; Folder = '.' }
        @{ Status = 1; Folder = 'no/such/folder' }
    ) {
        $program = New-StandIn "printf '<p/>' > 'System Assessment Results.html'; echo '$AssessedLine'"
        # This PowerShell again (a .NET tool runs as dotnet and its pwsh.dll).
        $pwsh = @(@([Environment]::GetCommandLineArgs()[0]) | Where-Object { $_ -like '*.dll' })
        $errors = Join-Path $TestDrive 'errors'
        Push-Location $TestDrive
        try {
            $output = & (Get-Process -Id $PID).Path @pwsh -NoProfile -NonInteractive -File $ScriptPath -ProgramPath $program -Destination $Folder -Name web01 2> $errors
        } finally {
            Pop-Location
        }
        $LASTEXITCODE | Should -Be $Status
        @($output).Count | Should -Be 1
        Get-Content -Raw $errors | Should -BeNullOrEmpty
    }
}
