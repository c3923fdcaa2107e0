# Counts the words of the text files in a folder.
param([string]$Folder = ".")

<# Files larger than the limit are skipped;
   the limit is in bytes. #>
$limit = 10MB
$total = 0

foreach ($file in Get-ChildItem -Path $Folder -Filter *.txt) {
    if ($file.Length -gt $limit) {
        Write-Warning "Skipping `"$($file.Name)`" ($limit bytes)"
        continue
    }
    $words = (Get-Content $file.FullName -Raw) -split '\s+'
    $total += $words.Count
}

$report = @"
Folder: $Folder
Words:  $total
"@
Write-Output $report
