# Quillbox's receiver script: pasted into PowerShell, it takes a file's parts from the clipboard and saves it.
& {
if ($ExecutionContext.SessionState.LanguageMode -ne 'FullLanguage') {
 Write-Host 'Quillbox: PowerShell is in ConstrainedLanguage mode here (AppLocker/WDAC); the script cannot run.'; return
}
$Msg = [Text.Encoding]::UTF8.GetString([Convert]::FromBase64String('
6ZyA6KaBIFBvd2VyU2hlbGwgNS4xIOaIluabtOmrmOeJiOacrO+8iFdpbmRvd3MgNy84LjEg5Y+v5a6J6KOFIFdNRiA1LjHvvInjgIJ85paH5Lu25bCG5L
+d5a2Y5YiwIHswfeOAguaMiSBDdHJsK0Mg5YGc5q2i44CCfOW3suaUtuWIsOesrCB7MH0vezF9IOaute+8jOi/mOe8uiB7Mn0g5q6144CCfHswfSDlt7Lm
jZ/lnY/vvIzor7fph43mlrDlpI3liLbjgIJ85Ymq5YiH5p2/5Lit5piv5Y+m5LiA5Liq5paH5Lu277yIezB977yJ55qE5YiG5q6177yM5bey5b+955Wl44
CCfOWPquiDveaOpeaUtuS4gOS4quaWh+S7tueahCBRdWlsbGJveCDmlofmnKx85paH5Lu25LiO5Y+R6YCB5pa555qEIFNIQS0yNTYg5LiN5LiA6Ie077yM
6K+36YeN5paw5aSN5Yi244CCfOW3suS/neWtmCB7MH3vvIh7MX0g5a2X6IqC77yJfFNIQS0yNTbvvJp7MH3vvIzkuI7lj5HpgIHmlrnkuIDoh7TjgIJ8U0
hBLTI1Nu+8mnswfe+8jOivt+S4juWPkemAgeaWueaguOWvueOAgnzkv53lrZjlpLHotKXvvJp7MH185bey5YGc5q2i77yM5rKh5pyJ5L+d5a2Y5paH5Lu2
44CCfOacquWRveWQjQ==
')).Split('|')
if ($PSVersionTable.PSVersion -lt '5.1') {Write-Host $Msg[0]; return}
$H = [Security.Cryptography.SHA256]::Create()
# UUE to Base64, in an order that turns no character twice
$From = ':;<=>?@ABCDEFGHIJKLMNOPQRS !"#$%&''()*+,-./012`TUV^_345WXY678Z[\9]'
$To = 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSA012+/TUV345WXY678Z9'
function Say($i) {Write-Host ($Msg[$i] -f $args)}
function Hex($x) {[BitConverter]::ToString($x).Replace('-', '').ToLower()}
function Clip($t) {
 foreach ($i in 1..5) {
  try { if ($t) {Set-Clipboard $t -ea Stop} else {Get-Clipboard -Raw -ea Stop}; return } catch {sleep -m 99}
 }
}
function Get-Blocks($t) {
 $t = "$t`n" -replace ' *(\r\n?|\n)', "`n" -replace '(?<=//quillbox\.example\.com/)(?=#Quillbox |begin )', "`n"
 foreach ($b in [regex]::Matches($t, '(?m)(^(#Quillbox part .*)\n\s*)?^begin(-base64)? +[0-7]{1,6} +(.*)$')) {
  $at = $b.Index + $b.Length + 1; $e = ([regex]'(?m)^end$').Match($t, $at)
  $o = @{B64 = $b.Groups[3].Success; Name = $b.Groups[4].Value}
  if ($b.Groups[2].Value -cmatch ('^#Quillbox part (?<K>[1-9]\d{0,3})/(?<N>[1-9]\d{0,3}) size=(?<Size>[1-9]\d{0,8}) ' +
   'sha256=(?<Sha>[0-9a-f]{64})( part=(?<Part>[0-9a-f]{16}))?( name=(?<Name>\S+))?( \S+)*$') -and
   [int]$matches.K -le $matches.N) {$o.M = $matches}
  if ($e.Success) {$o.Body = $t.Substring($at, $e.Index - $at)}
  $o
 }
}
# A block's bytes and their count; nothing if a line is damaged
function Get-Bytes($body) {
 $f = ([regex]'\A(M[!-`]{60}\n)*').Match($body).Length
 $d = ("`n" + $body.Substring(0, $f)).Replace("`nM", '').TrimEnd()
 if ($body.Substring($f) -cnotmatch '^(([!-L])([!-`]*)\n)?`\n$') {return}
 $c = 0; if ($matches[2]) {$c = [int][char]$matches[2] - 32}
 if ("$($matches[3])".Length -ne ($c + 2 - ($c + 2) % 3) / 3 * 4) {return}
 $d += $matches[3]
 for ($i = 0; $i -lt 65; $i++) {$d = $d.Replace($From[$i], $To[$i])}
 @([Convert]::FromBase64String($d), ($f / 62 * 45 + $c))
}
# P, the bytes of every part but the last of a cutting; 0: the part cannot be of the file
function Get-Place($m, $n) {
 if ($m.N -eq 1) {return $n * ($n -eq $m.Size)}
 $p = $n; if ($m.K -eq $m.N) {$p = ($m.Size - $n) / ($m.N - 1)}
 $r = $m.Size - ($m.N - 1) * $p
 if ($p % 45 -or $p -gt 71428545 -or 766958445 -lt $m.Size -or $r -lt 1 -or $r -gt $p) {0} else {$p}
}
function Get-Name($b) {
 $n = $b.Name; if ($b.M) { $n = $n -creplace '\.\d{3,}$' }
 if ($b.M.Name) {$n = [Uri]::UnescapeDataString($b.M.Name)}
 $n = $n -replace '(?s).*[/\\]'
 do {
  $o = $n; $n = $n.TrimEnd(". `t") -replace '[\x00-\x1f\\/:*?"<>|\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]', '_'
  if ($n.Split('.')[0].TrimEnd() -match '^(con|prn|aux|nul|conin\$|conout\$|(com|lpt)[\d\u00b9\u00b2\u00b3])$') {
   $n = "_$n"
  }
  $d = $n.LastIndexOf('.'); if ($d -lt 1 -or $n.Length - $d -ge 255) {$d = $n.Length}
  if ($n.Length -gt 255) {$n = $n.Remove($d - $n.Length + 255, $n.Length - 255)}
 } while ($n -cne $o)
 if ($n) {$n} else {$Msg[12]}
}
# The kept bytes, 1 for each 45-byte line kept: the lines from byte a to byte b
function Lines($a, $b) { if ($b -gt $S.Size) {$b = $S.Size}; $b += 44; $a / 45; ($b - $b % 45 - $a) / 45 }
function Get-Missing {
 for ($j = 1; $j -le $S.N; $j++) {
  $x = Lines (($j - 1) * $S.P) ($j * $S.P); if ($S.Map.ToString($x[0], $x[1]) -match 0) {$j}
 }
}
# Takes what a text holds of one file; returns the answer, if any
function Take-Text($t) {
 $bl = @(Get-Blocks $t); $m = $bl[0].M; $keys = @($bl | % {"$($_.M.Size)$($_.M.Sha)$($_.B64)"} | select -Unique)
 if (!$bl) {return}
 if ($keys[1] -or $bl[0].B64 -or (!$m -and $bl[1])) {Say 5; return}
 if ($S.Sha -and ($m.Sha -ne $S.Sha -or $m.Size -ne $S.Size)) {Say 4 (Get-Name $bl[0]); return}
 foreach ($b in $bl) {
  $m = $b.M; $r = $p = 0
  if ($b.Body) {$r = Get-Bytes $b.Body}
  if (!$m -and $r) { $m = @{K = 1; N = 1; Size = $r[1]}; $S.Whole = 1 }
  if ($r) {$p = Get-Place $m $r[1]}
  if (!$p -or ($m.Part -and $m.Part -ne (Hex $H.ComputeHash($r[0], 0, $r[1])).Substring(0, 16))) {
   Say 3 $b.Name; continue
  }
  if (!$S.F) {
   $S.Name = Get-Name $b; $S.Sha = $m.Sha; $S.Size = [long]$m.Size
   $S.Map = [Text.StringBuilder]::new('0' * (Lines 0 1e9)[1])
   $S.Tmp = [IO.Path]::Combine($S.Dir, "qb$(Get-Random).tmp")
   $S.F = [IO.File]::Open($S.Tmp, 'CreateNew', 'ReadWrite', 'None')
  }
  $a = ($m.K - 1) * $p; $x = Lines $a ($a + $r[1])
  $S.F.Position = $a; $S.F.Write($r[0], 0, $r[1]); $null = $S.Map.Replace('0', '1', $x[0], $x[1])
  $S.Last = $m.K; $S.N = $m.N; $S.P = $p
 }
 if (!$S.Last) {return}
 $miss = @(Get-Missing)
 if (!$miss) {
  $S.F.Position = 0; $S.Hash = Hex $H.ComputeHash($S.F)
  if ($S.Whole -or $S.Hash -eq $S.Sha) {$S.Done = 1} else {$null = $S.Map.Replace('1', '0'); $miss = 1..$S.N; Say 6}
 }
 if ($S.Whole) {return}
 Say 2 $S.Last $S.N $miss.Count
 "#Quillbox got part $($S.Last)/$($S.N) sha256=$($S.Sha) next=$(@($miss + 0)[0])"
}
function Save-File {
 $n = $S.F.Length; $S.F.Close(); $d = $S.Name.LastIndexOf('.'); $i = 1; $p = [IO.Path]::Combine($S.Dir, $S.Name)
 if ($d -lt 1) {$d = $S.Name.Length}
 while (Test-Path -LiteralPath $p) {$i++; $p = [IO.Path]::Combine($S.Dir, $S.Name.Insert($d, " ($i)"))}
 try {
  [IO.File]::Move($S.Tmp, $p); $S.Saved = $p; Say 7 $p $n; Say (8 + $S.Whole) $S.Hash
  Set-Content -LiteralPath $p -Stream Zone.Identifier -Value "[ZoneTransfer]`r`nZoneId=3" -ea SilentlyContinue
 } catch {Say 10 $_.Exception.Message}
}
$S = @{Dir = [Environment]::GetFolderPath('Desktop')}; $l = Get-Location
if ($l.Provider.Name -eq 'FileSystem') {$S.Dir = $l.ProviderPath}
Say 1 $S.Dir; Clip ($w = '#Quillbox ready')
try {
 while (!$S.Done) {
  sleep -m 300; $t = Clip
  if ($t -and $t -cne $seen -and $t -cne $w) { $a = Take-Text $t; if ($a) {Clip ($w = $a)} }
  $seen = $t
 }
 Save-File
} finally {
 # After Ctrl+C only the console's own output still shows
 if ($S.F) {$S.F.Close()}; if (!$S.Saved -and $S.Tmp) {[IO.File]::Delete($S.Tmp)}
 if (!$S.Done) {[Console]::WriteLine($Msg[11])}
}
}
