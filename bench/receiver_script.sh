#!/usr/bin/env bash
# The receiver script under pwsh decoding and checking one 10 MB Quillbox text (both parts of a 7,500,000-byte
# file cut at 6,000,000 characters, as the clipboard hands them over), in MB of text a second, and where the time goes.
# Windows PowerShell 5.1 on the .NET Framework is slower than this (no vectorised string replace).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset native >/dev/null && cmake --build --preset native --target qb_texts >/dev/null
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
head -c 7500000 /dev/urandom > "$dir/in"
"$root/build/native/tests/pwsh/qb_texts" "$dir/in" in.bin 6000000 | tr -d '\0' > "$dir/text"
QB_SCRIPT=$root/src/relay/ReceiverScript.ps1 QB_DIR=$dir ~/.dotnet/tools/pwsh -NoProfile -Command '
$script = $env:QB_SCRIPT; $dir = $env:QB_DIR
$block = [Management.Automation.Language.Parser]::ParseFile($script, [ref]$null, [ref]$null).Find({
  $args[0] -is [Management.Automation.Language.ScriptBlockExpressionAst] }, $true).ScriptBlock
foreach ($s in $block.EndBlock.Statements) {
  if ($s.GetType().Name -match "^(FunctionDefinition|AssignmentStatement)Ast$") { . ([scriptblock]::Create("$s")) }
}
function Write-Host {}
$text = [IO.File]::ReadAllText("$dir/text"); $mb = $text.Length / 1e6
foreach ($run in 1..3) {
  $S = @{Dir = $dir}; Remove-Item "$dir/qb*.tmp" -ErrorAction Ignore
  $all = (Measure-Command { $null = Take-Text $text }).TotalSeconds; $S.F.Close()
  $blocks = (Measure-Command { $b = Get-Blocks $text }).TotalSeconds
  $bytes = (Measure-Command { $r = $b | % { Get-Bytes $_.Body } }).TotalSeconds
  $hash = (Measure-Command { $null = $H.ComputeHash($r[0], 0, $r[1]) }).TotalSeconds
  "{0:N1} MB of text in {1:N2} s: {2:N1} MB/s; finding the block {3:N2} s, decoding {4:N2} s, SHA-256 of a part {5:N2} s" -f
    $mb, $all, ($mb / $all), $blocks, $bytes, $hash
}'
