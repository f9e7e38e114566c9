# Pester 5 tests of the helpers that Invoke-SystemAssessment.ps1 and
# Publish-SystemAssessment.ps1 each carry (each script is shipped alone): the
# two copies are one text, which Windows PowerShell 2.0 runs, and what the
# scripts' own tests do not reach of it.

BeforeAll {
    . (Join-Path $PSScriptRoot 'LanguageVersions.ps1')
    $script:Scripts = @('Invoke-SystemAssessment.ps1', 'Publish-SystemAssessment.ps1' | ForEach-Object {
            (Resolve-Path (Join-Path $PSScriptRoot "../../deploy/powershell/$_")).Path
        })
    # The text between the markers, without the indentation of its block.
    function Get-SharedText([string] $Path) {
        $text = [System.IO.File]::ReadAllText($Path)
        $found = [regex]::Match($text, '(?ms)^([ ]*)# ===== SHARED HELPERS =+\r?\n.*?^[ ]*# ===== END OF SHARED HELPERS =+$')
        if (-not $found.Success) { return $null }
        $indent = $found.Groups[1].Value
        return (($found.Value -split '\r?\n') | ForEach-Object { if ($_.StartsWith($indent)) { $_.Substring($indent.Length) } else { $_ } }) -join "`n"
    }
    $script:Shared = @($Scripts | ForEach-Object { Get-SharedText $_ })
    foreach ($definition in [System.Management.Automation.Language.Parser]::ParseInput($Shared[1], [ref]$null, [ref]$null).FindAll(
            { param($node) $node -is [System.Management.Automation.Language.FunctionDefinitionAst] }, $true)) {
        . ([scriptblock]::Create($definition.Extent.Text))
    }
}

Describe 'The helpers both scripts carry' {
    It 'are marked in both' {
        $Shared[0] | Should -Not -BeNullOrEmpty
        $Shared[1] | Should -Not -BeNullOrEmpty
    }

    It 'are the same text in both' {
        $Shared[0] | Should -BeExactly $Shared[1]
    }

    It 'use nothing that Windows PowerShell 2.0 lacks' {
        $ast = [System.Management.Automation.Language.Parser]::ParseInput($Shared[0], [ref]$null, [ref]$null)
        Find-NewerThan $ast '2.0' | Should -BeNullOrEmpty
    }
}

Describe 'A JSON string''s inside, read' {
    It '<Text> is <Expected>' -TestCases @(
        @{ Text = 'plain'; Expected = 'plain' }
        @{ Text = 'root\\cimv2 \"q\" a\/b'; Expected = 'root\cimv2 "q" a/b' }
        @{ Text = 'caf\u00e9 \ud83d\ude00 \u004A'; Expected = "caf$([char]0xE9) $([char]::ConvertFromUtf32(0x1F600)) J" }
        @{ Text = 'a\r\nb\tc'; Expected = "a`r`nb`tc" }
        @{ Text = 'cut \u00'; Expected = 'cut u00' }
    ) {
        ConvertFrom-JsonText $Text | Should -BeExactly $Expected
    }
}
