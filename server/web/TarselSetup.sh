#!/bin/sh
# TarselB2B kurulum programı.
#
# Bu sürüm programı kurmaz: yalnızca çalıştırıldığını, tarihi ve aldığı
# bağımsız değişkenleri (örneğin /silent) kullanıcının
# ~/.local/share/tarselotomotiv/setup-ran.log dosyasına bir satır olarak
# ekler ve çıkar.
if [ -z "${HOME:-}" ]; then
  echo "TarselSetup: HOME tanımlı değil" >&2
  exit 1
fi
log_dir="$HOME/.local/share/tarselotomotiv"
mkdir -p "$log_dir" || exit 1
line=$(date '+%Y-%m-%d %H:%M:%S')
for arg in "$@"; do
  line="$line $arg"
done
printf '%s\n' "$line" >> "$log_dir/setup-ran.log" || exit 1
exit 0
