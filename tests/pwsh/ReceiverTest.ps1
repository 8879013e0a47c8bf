# The receiver script's functions, lifted out of its block, fed Quillbox's own parts (qb_texts) as one relay in
# which each row's text gets the answer (or the last message) it expects; then the whole script in ConstrainedLanguage.
param($script, $texts, $pwsh)
$block = [Management.Automation.Language.Parser]::ParseFile($script, [ref]$null, [ref]$null).Find({
  $args[0] -is [Management.Automation.Language.ScriptBlockExpressionAst] }, $true).ScriptBlock
$block.EndBlock.Statements | ? { $_.GetType().Name -match '^(FunctionDefinition|AssignmentStatement)Ast$' } | % { . ([scriptblock]::Create("$_")) }
function Write-Host { $script:said += @("$args") }
function Set-Content { $script:zone = "$args" }
function Check($what, $ok) { if (!$ok) { [Console]::Error.WriteLine("FAILED: $what ($($said[-2..-1]))"); $script:failed = 1 } }
$d = (New-Item -ItemType Directory "$([IO.Path]::GetTempPath())qbrt$PID").FullName; $in = [byte[]]::new(20000)
[Random]::new(1).NextBytes($in); [IO.File]::WriteAllBytes("$d/in", $in)
function Texts($name, $limit) { & $texts "$d/in" $name $limit > "$d/t"; [IO.File]::ReadAllText("$d/t") -split "`0" }
$A = Texts 'a b.bin' 4000; $B = Texts 'a b.bin' 9000; $S = @{Dir = $d}; $swap = '(?m)^(M.{9})(.)(.)', '$1$3$2'
foreach ($row in @(($A[1] -creplace '(?m)^(M.{20}).', '$1~'), '', '损坏'), @($A[0], '1/8 .* next=2'),
  @(($A[1] -creplace $swap), '1/8 .* next=2', '已损坏'), @(($A[1] -replace '(part=\w+)', '$1 zz=1'), '2/8 .* next=3'),
  @(($A[2] -replace "`r`n", "`n"), '3/8 .* next=4'), @(((($A[3] -replace ' part=\w+' -creplace $swap) + $A[4]) -replace "`r`n", "`r"),
  '5/8 .* next=6'), @(($A[1] -replace ' part=\w+' -creplace $swap), '5/8 .* next=6'),
  @(($A[5] -replace 'part=\w+', "`$0 x=$('y' * 4000)"), '', '另一个文件'), @($B[3], '4/4 .* next=3'),
  @($B[2], '3/4 .* next=2', '不一致.*还缺 1 段'), @($B[1], '2/4 .* next=0')) {
  $said = @(); $got = Take-Text $row[0]; Check "answer $($row[1])" ("$got" -match "^(#Quillbox got part $($row[1]))?$" -and "$said" -match $row[2])
}
Save-File; Check 'the file' ((Get-FileHash "$d/a b.bin").Hash -eq (Get-FileHash "$d/in").Hash -and $said[-1] -match '与发送方一致')
Check 'its mark' ($zone -ceq "-LiteralPath $d/a b.bin -Stream Zone.Identifier -Value [ZoneTransfer]`r`nZoneId=3 -ea Ignore")
$whole = $A[0] -replace '#Quillbox.*\r\n'; foreach ($i in 1, 2) { $S = @{Dir = $d}; Take-Text $whole; Save-File }; Take-Text $A[1]
Check 'a whole text' ((Get-FileHash "$d/a b.bin.001").Hash -eq (Get-FileHash "$d/a b.bin (2).001").Hash -and $said -match '核对')
Check 'another file' ($said[-1] -match '另一个文件'); $S = @{Dir = $d}; Take-Text ($whole + $A[1]); Take-Text "begin-base64 644 x`n====`n"
Check 'several files, Base64' ($said[-2] -ceq '只能接收一个文件的 Quillbox 文本' -and $said[-1] -eq $said[-2])
foreach ($row in @("a`u{202E}gpj.exe", 'a_gpj.exe'), @('..\d\con .txt', '_con .txt'), @('LPT1', '_LPT1'), @('d/x. .', 'x'),
  @('x:y', 'x_y'), @('. .', '_')) { Check "name $($row[0])" ((Get-Name (Get-Blocks (Texts $row[0] 4000)[0])) -ceq $row[1]) }
$out = & $pwsh -NoProfile -Command "cd $d; function Set-Clipboard { 1 > set };
  `$ExecutionContext.SessionState.LanguageMode = 'ConstrainedLanguage'; & '$script'"
Check 'ConstrainedLanguage' ("$out" -match 'ConstrainedLanguage mode' -and !(Test-Path "$d/set"))
Remove-Item -Recurse $d; exit $failed
