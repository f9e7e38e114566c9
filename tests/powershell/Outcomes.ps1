# The one table of a round's outcomes, tests/data/outcomes.tsv, one hashtable
# a row: Kind (the note's KIND, or "assessed"), Status (the collector's
# Status), Code (the program's exit status, '' where the outcome comes from
# none), StandardError (the program's line there), ResultLine (its result
# line on standard output, '' where it printed none), Note (the note's line,
# '' for a host assessed) and Detail (the note after "KIND: ").
function Get-OutcomeTable {
    Import-Csv -Delimiter "`t" -LiteralPath (Join-Path $PSScriptRoot '../data/outcomes.tsv') | ForEach-Object {
        $detail = ''
        if ($_.note) { $detail = $_.note.Substring($_.kind.Length + 2) }
        @{ Kind = $_.kind; Status = $_.status; Code = $_.'exit status'; StandardError = $_.'standard error'
            ResultLine = $_.'result line'; Note = $_.note; Detail = $detail }
    }
}
