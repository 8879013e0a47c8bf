# The receiver script pastes anywhere and parses on PowerShell 2.0: printable ASCII, CRLF, no blank line, no
# line over 120, at most 6,000 characters, one & { } block, no syntax newer than 2.0, only the allowed types.
using namespace System.Management.Automation.Language
param($path)
$text = [IO.File]::ReadAllText($path); $errors = $null
$ast = [Parser]::ParseInput($text, [ref]$null, [ref]$errors)
$types = 'Convert IO.File IO.FileStream IO.FileMode IO.FileAccess IO.FileShare IO.Path IO.Directory regex Uri int long' +
  ' Security.Cryptography.SHA256 Text.Encoding Text.StringBuilder Environment BitConverter Console char byte[] string'
$bad = @($errors
  if ($text -cmatch '[^\r\n -~]') { 'a character that is not printable ASCII' }
  if ($text.Length -gt 6000) { "$($text.Length) characters" }
  if ($text -match '(?<!\r)\n|\r(?!\n)|\n\r?\n|\n *\r') { 'a blank line or a line end other than CRLF' }
  $text -split "`r`n" | ? Length -gt 120 | % { "over 120: $_" }
  if ($ast.EndBlock.Statements.Count -ne 1 -or "$($ast.EndBlock.Statements[0])" -notmatch '^& \{') { 'not one & { } block' }
  $ast.FindAll({ $args[0] -is [TypeExpressionAst] -or $args[0] -is [TypeConstraintAst] }, $true) |
    ? { $_.TypeName.FullName -notin $types.Split() } | % { "type $($_.TypeName)" }
  $ast.FindAll({ param($n) $n.GetType().Name -match '^(TypeDefinition|UsingStatement|UsingExpression|PipelineChain|Ternary|' +
    'Configuration|DynamicKeyword)' -or "$($n.Operator)" -match '^(Ii?n|[IC]?NotIn|Cin|Shl|Shr|QuestionQuestion.*)$' -or $n.NullConditional -or
    $n.Flags -eq 'Parallel' -or ($n -is [CommandAst] -and $n.GetCommandName() -in 'New-Object', 'Add-Type') }, $true) | % { "newer: $_" })
if ($bad) { $bad; exit 1 }
