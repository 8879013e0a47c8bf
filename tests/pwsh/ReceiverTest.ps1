# The receiver script's functions, lifted out of its block, fed Quillbox's own texts (qb_texts).
param($script, $texts, $pwsh)
$script = (Resolve-Path $script).Path
$block = [Management.Automation.Language.Parser]::ParseFile($script, [ref]$null, [ref]$null).Find({
    $args[0] -is [Management.Automation.Language.ScriptBlockExpressionAst] }, $true).ScriptBlock
foreach ($s in $block.EndBlock.Statements) {
  if ($s.GetType().Name -match '^(FunctionDefinition|AssignmentStatement)Ast$') { . ([scriptblock]::Create("$s")) }
}
function Write-Host { $script:said += @("$args") }
function Set-Content { $script:zone = "$args" }
function Check($what, $ok) { if (!$ok) { Write-Host "FAILED: $what"; [Console]::Error.WriteLine("FAILED: $what"); $script:failed = 1 } }
$d = [IO.Directory]::CreateDirectory([IO.Path]::Combine([IO.Path]::GetTempPath(), "qbrt$PID")).FullName
$bytes = [byte[]]::new(20000); [Random]::new(1).NextBytes($bytes); [IO.File]::WriteAllBytes("$d/in", $bytes)
function Texts($name, $limit) { & $texts "$d/in" $name $limit > "$d/t"; [IO.File]::ReadAllText("$d/t") -split "`0" }
function Answer($text, $kn, $next) {
  $a = Take-Text $text; Check "$kn next=$next after '$($said[-1])'" ($a -cmatch "^#Quillbox got part $kn sha256=[0-9a-f]{64} next=$next$")
}
$A = Texts 'a b.bin' 4000; $B = Texts 'a b.bin' 9000; $S = @{Dir = $d}
Check 'nothing answered while no part is kept' (!(Take-Text ($A[1] -creplace '(?m)^(M.{20}).', '$1~')) -and $said[-1] -match '损坏')
Answer $A[0] '1/8' 2
Answer ($A[1] -creplace '(?m)^(M.{9})(.)(.)', '$1$3$2') '1/8' 2
Check 'a part that fails its part= is said' ($said[-2] -match '损坏')
Answer ($A[1] -replace '(part=\w+)', '$1 zz=1') '2/8' 3
Answer ($A[2] -replace ' part=\w+' -replace "`r`n", "`n") '3/8' 4
Answer (($A[3] + $A[4]) -replace "`r`n", "`r") '5/8' 6
Answer $B[3] '4/4' 3
Answer $B[2] '3/4' 0
Save-File
Check 'the joined file' ((Get-FileHash "$d/a b.bin").Hash -eq (Get-FileHash "$d/in").Hash -and $said[-1] -match '与发送方一致')
Check 'the mark of the web' ($zone -ceq "-LiteralPath $d/a b.bin -Stream Zone.Identifier -Value [ZoneTransfer]`r`nZoneId=3 -ea SilentlyContinue")
$S = @{Dir = $d}; Take-Text (Texts 'a b.bin' 0); Save-File
Check 'a whole text, beside the first' ((Test-Path "$d/a b (2).bin") -and $said[-1] -match '请与发送方核对')
foreach ($row in @("a`u{202E}gpj.exe", 'a_gpj.exe'), @('..\d\con .txt', '_con .txt'), @('LPT1', '_LPT1'),
  @("d/x. `t.", 'x'), @((('x' * 300) + '.txt'), (('x' * 251) + '.txt')), @('. .', '未命名')) {
  Check "name $($row[0])" ((Get-Name (Get-Blocks (Texts $row[0] 4000)[0])) -ceq $row[1])
}
$S = @{Dir = $d; Sha = 'f' * 64}; Take-Text $A[0]; Check 'another file' ($said[-1] -match '另一个文件')
Take-Text ((Texts 'x' 0) + $A[0]); Check 'several files' ($said[-1] -ceq '只能接收一个文件的 Quillbox 文本')
$clm = "$d/clm"; $null = mkdir $clm
$out = & $pwsh -NoProfile -Command "cd $clm; function Set-Clipboard { 1 > set };
  `$ExecutionContext.SessionState.LanguageMode = 'ConstrainedLanguage'; & '$script'"
Check 'ConstrainedLanguage' ("$out" -match 'ConstrainedLanguage mode' -and !(Get-ChildItem $clm))
Remove-Item -Recurse $d
exit $failed
