# What of a syntax tree an older PowerShell cannot run, with the version that
# brought it: `Find-NewerThan $Ast '5.1'` lists what Windows PowerShell 5.1
# lacks, `Find-NewerThan $Ast '2.0'` what 2.0 (Windows 7, Server 2008 R2,
# on .NET 2.0 to 3.5) lacks, one "WHAT, line N" each. Dot-sourced by the
# scripts' tests.
#
# Seen here: operators and blocks of later versions, type accelerators and
# types (.NET 4's among them, which 2.0 has not), automatic variables,
# cmdlets and parameters of later versions, the simplified Where-Object and
# ForEach-Object syntax, attribute arguments without a value, classes,
# enums, using, ::new(), .NET 4 methods called by name. Not seen: what
# depends on values (member enumeration and .Count of a scalar, 3.0), and
# .NET 4 overloads of methods 2.0 has.

$script:NewerCommands = @{
    'ConvertFrom-Json' = '3.0'; 'ConvertTo-Json' = '3.0'; 'Invoke-RestMethod' = '3.0'; 'Invoke-WebRequest' = '3.0'
    'Get-CimInstance' = '3.0'; 'Invoke-CimMethod' = '3.0'; 'Unblock-File' = '3.0'; 'Get-FileHash' = '4.0'
    'New-TemporaryFile' = '5.0'; 'Compress-Archive' = '5.0'; 'Expand-Archive' = '5.0'; 'Format-Hex' = '5.0'
    'Write-Information' = '5.0'; 'Start-ThreadJob' = '6.0'
}
$script:NewerParameters = @{
    'Raw' = '3.0'; 'PipelineVariable' = '4.0'; 'NoNewline' = '5.0'; 'AsByteStream' = '6.0'; 'AsHashtable' = '6.0'
    'AdditionalChildPath' = '6.0'; 'LeafBase' = '6.0'; 'Parallel' = '7.0'
}
# .NET 4 and later (PowerShell 3.0 is the first to run on .NET 4).
$script:NewerMethods = 'ReadToEndAsync', 'ReadLineAsync', 'ReadAsync', 'WriteAsync', 'WriteLineAsync', 'FlushAsync',
'CopyToAsync', 'CopyTo', 'ContinueWith', 'IsNullOrWhiteSpace', 'EnumerateFiles', 'EnumerateDirectories',
'EnumerateFileSystemEntries', 'ReadLines', 'HasFlag', 'Restart'
$script:NewerTypes = @(
    @{ Pattern = '^(System\.)?Threading\.Tasks\.|^Task(\[|$)|^(System\.)?(Lazy|Tuple)(\[|$)|^(System\.)?Collections\.Concurrent\.|^(System\.)?Net\.Http\.'
        Since = '3.0'; What = '.NET 4 type' }
    @{ Pattern = '^(System\.)?Management\.Automation\.Language\.'; Since = '3.0'; What = 'PowerShell 3.0 type' }
    @{ Pattern = '^ordered$'; Since = '3.0'; What = 'accelerator' }
    @{ Pattern = '^((System\.)?Management\.Automation\.)?pscustomobject$'; Since = '3.0'; What = 'accelerator' }
)
# The parameters Where-Object and ForEach-Object had in 2.0: anything else,
# or an argument that is no script block, is the syntax of 3.0.
$script:FilterParameters = @{
    'Where-Object' = @('FilterScript', 'InputObject'); 'ForEach-Object' = @('Process', 'Begin', 'End', 'InputObject')
}
$script:FilterAliases = @{ 'where' = 'Where-Object'; '?' = 'Where-Object'; 'foreach' = 'ForEach-Object'; '%' = 'ForEach-Object' }

# Zero or more @{ Since; What } for one node.
function Get-NewerConstruct {
    param([System.Management.Automation.Language.Ast] $Node)
    $found = @()
    switch ($Node.GetType().Name) {
        'TernaryExpressionAst' { $found += @{ Since = '7.0'; What = 'the ternary operator' } }
        'PipelineChainAst' {
            if ($Node.Operator -eq 'AndAnd') { $found += @{ Since = '7.0'; What = '&& between commands' } }
            else { $found += @{ Since = '7.0'; What = '|| between commands' } }
        }
        'BinaryExpressionAst' {
            $operator = "$($Node.Operator)"
            if ($operator -eq 'QuestionQuestion') { $found += @{ Since = '7.0'; What = '??' } }
            if ($operator -match '^[IC]?(In|NotIn)$|^(Shl|Shr)$') { $found += @{ Since = '3.0'; What = $Node.ErrorPosition.Text.ToLowerInvariant() } }
        }
        'AssignmentStatementAst' { if ($Node.Operator -eq 'QuestionQuestionEquals') { $found += @{ Since = '7.0'; What = '??=' } } }
        'MemberExpressionAst' { if ($Node.NullConditional) { $found += @{ Since = '7.0'; What = '?.' } } }
        'InvokeMemberExpressionAst' {
            $member = "$($Node.Member.Value)"
            if ($Node.NullConditional) { $found += @{ Since = '7.0'; What = '?.' } }
            if ($Node.Static -and $member -eq 'new') { $found += @{ Since = '5.0'; What = '::new()' } }
            if (-not $Node.Static -and ($member -eq 'Where' -or $member -eq 'ForEach')) { $found += @{ Since = '4.0'; What = "the method .$member()" } }
            if ($NewerMethods -contains $member) { $found += @{ Since = '3.0'; What = "the .NET 4 method $member" } }
        }
        'IndexExpressionAst' { if ($Node.NullConditional) { $found += @{ Since = '7.0'; What = '?[]' } } }
        'PipelineAst' { if ($Node.Background) { $found += @{ Since = '6.0'; What = '& at the end of a pipeline' } } }
        'ScriptBlockAst' { if ($Node.CleanBlock) { $found += @{ Since = '7.3'; What = 'a clean block' } } }
        'FunctionDefinitionAst' { if ($Node.IsWorkflow) { $found += @{ Since = '3.0'; What = 'a workflow' } } }
        'TypeDefinitionAst' {
            if ($Node.IsEnum) { $found += @{ Since = '5.0'; What = 'an enum' } } else { $found += @{ Since = '5.0'; What = 'a class' } }
        }
        'UsingStatementAst' { $found += @{ Since = '5.0'; What = 'using' } }
        'UsingExpressionAst' { $found += @{ Since = '3.0'; What = '$using:' } }
        'NamedAttributeArgumentAst' {
            if ($Node.ExpressionOmitted) { $found += @{ Since = '3.0'; What = "the attribute argument $($Node.ArgumentName) without a value" } }
        }
        'VariableExpressionAst' {
            $variable = $Node.VariablePath.UserPath
            if (@('PSItem', 'PSScriptRoot', 'PSCommandPath', 'PSDefaultParameterValues') -contains $variable) {
                $found += @{ Since = '3.0'; What = "`$$variable" }
            }
        }
        'TypeConstraintAst' { $found += @(Get-NewerType $Node.TypeName.FullName) }
        'TypeExpressionAst' { $found += @(Get-NewerType $Node.TypeName.FullName) }
        'CommandParameterAst' {
            $since = $NewerParameters[$Node.ParameterName]
            if ($since) { $found += @{ Since = $since; What = "-$($Node.ParameterName)" } }
        }
        'StringConstantExpressionAst' {
            if ($Node.Value -match '^utf8(No)?BOM$') { $found += @{ Since = '6.0'; What = "the encoding $($Node.Value)" } }
        }
        'CommandAst' { $found += @(Get-NewerCommandUse $Node) }
    }
    return $found
}

function Get-NewerType {
    param([string] $Name)
    foreach ($type in $NewerTypes) {
        if ($Name -match $type.Pattern) { return @{ Since = $type.Since; What = "the $($type.What) [$Name]" } }
    }
}

# A command of a later version, a type of one given to New-Object, the
# simplified Where-Object and ForEach-Object syntax, -ErrorAction Ignore.
function Get-NewerCommandUse {
    param([System.Management.Automation.Language.CommandAst] $Command)
    $name = $Command.GetCommandName()
    if (-not $name) { return }
    $elements = @($Command.CommandElements | Select-Object -Skip 1)
    if ($NewerCommands.ContainsKey($name)) { @{ Since = $NewerCommands[$name]; What = $name } }
    if ($name -eq 'New-Object' -and $elements.Count -gt 0 -and $elements[0] -is [System.Management.Automation.Language.StringConstantExpressionAst]) {
        Get-NewerType $elements[0].Value
    }
    for ($i = 0; $i -lt $elements.Count; $i++) {
        if ($elements[$i] -is [System.Management.Automation.Language.CommandParameterAst] -and
            $elements[$i].ParameterName -match '^(ErrorAction|EA|WarningAction|WA)$') {
            $value = $elements[$i].Argument
            if (-not $value -and $i + 1 -lt $elements.Count) { $value = $elements[$i + 1] }
            if ($value -is [System.Management.Automation.Language.StringConstantExpressionAst] -and $value.Value -eq 'Ignore') {
                @{ Since = '3.0'; What = "-$($elements[$i].ParameterName) Ignore" }
            }
        }
    }
    if ($FilterAliases.ContainsKey($name)) { $name = $FilterAliases[$name] }
    if (-not $FilterParameters.ContainsKey($name)) { return }
    $known = @($FilterParameters[$name]) + @([System.Management.Automation.PSCmdlet]::CommonParameters)
    for ($i = 0; $i -lt $elements.Count; $i++) {
        $element = $elements[$i]
        if ($element -is [System.Management.Automation.Language.CommandParameterAst]) {
            $parameter = $element.ParameterName
            # (A parameter of a later version has its own finding.)
            if (-not ($known | Where-Object { $_ -like "$parameter*" }) -and -not $NewerParameters.ContainsKey($parameter)) {
                return @{ Since = '3.0'; What = "the simplified syntax of $name (-$parameter)" }
            }
            if (-not $element.Argument -and @('Verbose', 'Debug') -notcontains $parameter) { $i++ }
        } elseif ($element -isnot [System.Management.Automation.Language.ScriptBlockExpressionAst]) {
            return @{ Since = '3.0'; What = "the simplified syntax of $name ($($element.Extent.Text))" }
        }
    }
}

function Find-NewerThan {
    param([System.Management.Automation.Language.Ast] $Ast, [version] $Version)
    $found = foreach ($node in $Ast.FindAll({ $true }, $true)) {
        foreach ($construct in @(Get-NewerConstruct $node)) {
            if ([version]$construct.Since -gt $Version) { "$($construct.What), line $($node.Extent.StartLineNumber)" }
        }
    }
    return @($found | Select-Object -Unique)
}
