# The receiver script pastes anywhere and parses on PowerShell 2.0: printable ASCII, CRLF, no blank line, lines of 120 at
# most, 6,000 characters at most, one & { } block, no syntax newer than 2.0, only the allowed types.
using namespace System.Management.Automation.Language
param($path)
$text = [IO.File]::ReadAllText($path); $errors = $null; $ast = [Parser]::ParseInput($text, [ref]$null, [ref]$errors)
$types = 'Convert IO.File IO.FileStream IO.FileMode IO.FileAccess IO.FileShare IO.Path IO.Directory regex Uri int long string' +
  ' Security.Cryptography.SHA256 Text.Encoding Text.StringBuilder Environment BitConverter Console char byte[]'
$bad = @($errors; $text -split "`r`n" | ? Length -gt 120
  if ($text -cmatch '[^\r\n -~]|(?<!\r)\n|\r(?!\n)|\n\r?\n|\n *\r' -or $text.Length -gt 6000) { 'a character, line end or size' }
  if ($ast.EndBlock.Statements.Count -ne 1 -or "$($ast.EndBlock.Statements[0])" -notmatch '^& \{') { 'not one & { } block' }
  $ast.FindAll({ $args[0] -is [TypeExpressionAst] -or $args[0] -is [TypeConstraintAst] }, $true) | ? { $_.TypeName.FullName -notin $types.Split() }
  $ast.FindAll({ param($n) $n.GetType().Name -match '^(TypeDefinition|Using|PipelineChain|Ternary|Configuration|DynamicKeyword)' -or
    "$($n.Operator)" -match '^(Ii?n|[IC]?NotIn|Cin|Shl|Shr|QuestionQuestion.*)$' -or $n.NullConditional -or $n.Flags -eq 'Parallel' -or
    ($n -is [CommandAst] -and $n.GetCommandName() -in 'New-Object', 'Add-Type') }, $true))
if ($bad) { $bad | % { "$_" }; exit 1 }
