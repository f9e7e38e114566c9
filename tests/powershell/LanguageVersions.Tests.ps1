# Pester 5 tests of the syntax walk the scripts' tests share
# (LanguageVersions.ps1): each construct is found below the version that
# brought it and not from that version on, and what 2.0 runs is let pass.

BeforeAll {
    . (Join-Path $PSScriptRoot 'LanguageVersions.ps1')
    function Find-In([string] $Code, [string] $Version) {
        $ast = [System.Management.Automation.Language.Parser]::ParseInput($Code, [ref]$null, [ref]$null)
        return @(Find-NewerThan $ast $Version)
    }
}

Describe 'The walk of a script''s syntax' {
    It 'finds <Construct> (<Since>) in "<Code>"' -TestCases @(
        @{ Since = '7.0'; Construct = 'the ternary operator'; Code = '$a = $b ? 1 : 2' }
        @{ Since = '7.0'; Construct = '??'; Code = '$a = $b ?? 1' }
        @{ Since = '7.0'; Construct = '??='; Code = '$a ??= 1' }
        @{ Since = '7.0'; Construct = '?.'; Code = '${a}?.Length' }
        @{ Since = '7.0'; Construct = '?.'; Code = '${a}?.ToString()' }
        @{ Since = '7.0'; Construct = '?[]'; Code = '${a}?[0]' }
        @{ Since = '7.0'; Construct = '&& between commands'; Code = 'Get-Date && Get-Date' }
        @{ Since = '7.0'; Construct = '|| between commands'; Code = 'Get-Date || Get-Date' }
        @{ Since = '7.0'; Construct = '-Parallel'; Code = '1..2 | ForEach-Object -Parallel { $_ }' }
        @{ Since = '7.3'; Construct = 'a clean block'; Code = 'function f { process { } clean { } }' }
        @{ Since = '6.0'; Construct = 'Start-ThreadJob'; Code = 'Start-ThreadJob { 1 }' }
        @{ Since = '6.0'; Construct = '-AsByteStream'; Code = 'Get-Content x -AsByteStream' }
        @{ Since = '6.0'; Construct = 'the encoding utf8NoBOM'; Code = 'Set-Content x -Encoding utf8NoBOM' }
        @{ Since = '6.0'; Construct = '& at the end of a pipeline'; Code = 'Get-Date &' }
        @{ Since = '5.0'; Construct = 'a class'; Code = 'class C { [int] $n }' }
        @{ Since = '5.0'; Construct = 'an enum'; Code = 'enum E { A }' }
        @{ Since = '5.0'; Construct = 'using'; Code = 'using namespace System.IO' }
        @{ Since = '5.0'; Construct = '::new()'; Code = '[IO.MemoryStream]::new()' }
        @{ Since = '5.0'; Construct = '-NoNewline'; Code = 'Out-File x -NoNewline' }
        @{ Since = '4.0'; Construct = 'Get-FileHash'; Code = 'Get-FileHash x' }
        @{ Since = '4.0'; Construct = 'the method .Where()'; Code = '@(1).Where({ $_ })' }
        @{ Since = '4.0'; Construct = '-PipelineVariable'; Code = 'Get-Date -PipelineVariable d' }
        @{ Since = '3.0'; Construct = 'the accelerator [ordered]'; Code = '[ordered]@{ a = 1 }' }
        @{ Since = '3.0'; Construct = 'the accelerator [pscustomobject]'; Code = '[pscustomobject]@{ a = 1 }' }
        @{ Since = '3.0'; Construct = '-in'; Code = '1 -in 1, 2' }
        @{ Since = '3.0'; Construct = '-notin'; Code = '1 -notin 1, 2' }
        @{ Since = '3.0'; Construct = '$PSItem'; Code = '1 | ForEach-Object { $PSItem }' }
        @{ Since = '3.0'; Construct = '$PSScriptRoot'; Code = 'Join-Path $PSScriptRoot x' }
        @{ Since = '3.0'; Construct = '$using:'; Code = 'Invoke-Command { $using:a }' }
        @{ Since = '3.0'; Construct = 'the simplified syntax of Where-Object (Name)'; Code = 'Get-Process | Where-Object Name -eq x' }
        @{ Since = '3.0'; Construct = 'the simplified syntax of ForEach-Object (Name)'; Code = 'Get-Process | % Name' }
        @{ Since = '3.0'; Construct = 'the simplified syntax of Where-Object (-Property)'; Code = 'Get-Process | ? -Property Name -EQ x' }
        @{ Since = '3.0'; Construct = '-shl'; Code = '1 -shl 2' }
        @{ Since = '3.0'; Construct = 'ConvertFrom-Json'; Code = '$x | ConvertFrom-Json' }
        @{ Since = '3.0'; Construct = 'ConvertTo-Json'; Code = '$x | ConvertTo-Json' }
        @{ Since = '3.0'; Construct = '-Raw'; Code = 'Get-Content x -Raw' }
        @{ Since = '3.0'; Construct = '-ErrorAction Ignore'; Code = 'Get-Item x -ErrorAction Ignore' }
        @{ Since = '3.0'; Construct = 'the attribute argument Mandatory without a value'; Code = 'param([Parameter(Mandatory)] $a)' }
        @{ Since = '3.0'; Construct = 'the .NET 4 method ReadToEndAsync'; Code = '$p.StandardOutput.ReadToEndAsync()' }
        @{ Since = '3.0'; Construct = 'the .NET 4 type [System.Threading.Tasks.Task]'; Code = '[System.Threading.Tasks.Task]::Delay(1)' }
        @{ Since = '3.0'; Construct = 'the .NET 4 type [Tuple]'; Code = 'New-Object Tuple' }
        @{ Since = '3.0'; Construct = 'the PowerShell 3.0 type [System.Management.Automation.Language.NullString]'
            Code = '[System.Management.Automation.Language.NullString]::Value' }
    ) {
        $found = @(Find-In $Code '2.0')
        $found.Count | Should -Be 1 -Because ($found -join '; ')
        $found[0] | Should -BeExactly "$Construct, line 1"
        Find-In $Code $Since | Should -BeNullOrEmpty
    }

    It 'lets pass what 2.0 runs: "<Code>"' -TestCases @(
        @{ Code = 'Get-Process | Where-Object { $_.Name -eq "x" } | ForEach-Object -Process { $_ } -End { 1 }' }
        @{ Code = 'param([Parameter(Mandatory = $true)] [string] $a) New-Object IO.MemoryStream' }
        @{ Code = '$a -contains 1; [IO.File]::Replace("a", "b", "c"); $s.BeginRead($b, 0, 1, $null, $null)' }
        @{ Code = 'Get-Item x -ErrorAction SilentlyContinue | ? -FilterScript { $_ } -Verbose' }
    ) {
        Find-In $Code '2.0' | Should -BeNullOrEmpty
    }
}
