#!/usr/bin/env bash
# Measures the mail library and the cycle against real servers on loopback,
# side by side in one run:
#  - fetch-all of 1,000 and 10,000 messages, plain POP3 and TLS: our library
#    against a raw pipelining client and mpop (keeping the mail);
#  - 1,000 replies to Postfix's smtp-sink: our library against smtp-source,
#    one message per connection and all over one connection;
#  - one full cycle (mirte-cli check) with nothing and with 1,000 to answer.
# Needs the packages of scripts/setup.sh (it adds mpop, postfix, bc, time); run it from a
# built tree: bash bench/run_mail_benchmarks.sh [build-dir]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
for p in mpop postfix bc time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || {
    echo "installing $p"; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >/dev/null; }
done

work="$(mktemp -d /tmp/mirte-bench-XXXXXX)"
chmod 755 "$work"
servers="$work/servers"
cleanup() {
  /usr/bin/python3 "$top/scripts/test_servers.py" stop "$servers" >/dev/null 2>&1 || true
  [ -n "${sink_pid:-}" ] && kill "$sink_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
/usr/bin/python3 "$top/scripts/test_servers.py" start "$servers" >/dev/null
# shellcheck disable=SC1091
source "$servers/servers.env"
export SSL_CERT_FILE="$CA_FILE"
user=bench
maildir="$MAIL_DIR/$user/Maildir"

peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1; }

mpop_fetch() {  # host port tls
  local conf="$work/mpoprc"
  cat > "$conf" <<RC
defaults
tls $3
tls_starttls off
tls_trust_file $CA_FILE
account bench
host $1
port $2
user $user
password $POP3_PASSWORD
auth user
keep on
only_new off
delivery maildir $work/mpop-maildir
RC
  chmod 600 "$conf"
  rm -rf "$work/mpop-maildir"; mkdir -p "$work/mpop-maildir"/{new,cur,tmp}
  local start end
  start=$(date +%s.%N)
  mpop -q -C "$conf" bench >/dev/null
  end=$(date +%s.%N)
  echo "mpop seconds=$(echo "$end - $start" | bc)"
}

echo "== fetch-all (seconds, peak RSS in KB; median of 3)"
for n in 1000 10000; do
  /usr/bin/python3 "$top/bench/seed_mailbox.py" "$maildir" "$n" "$MAIL_UID" "$MAIL_GID"
  size=$(du -sh "$maildir/new" | cut -f1)
  "$build/bench/fetch_bench" raw 127.0.0.1 "$POP3_PORT" "$user" "$POP3_PASSWORD" >/dev/null  # index it
  for channel in plain tls; do
    if [ "$channel" = plain ]; then host=::1; port=$POP3_PORT; tls=off; else host=127.0.0.1; port=$POP3S_PORT; tls=on; fi
    for tool in raw nmail mpop; do
      times=()
      for _ in 1 2 3; do
        if [ "$tool" = mpop ]; then
          out=$(mpop_fetch "$host" "$port" "$tls")
          times+=("$(echo "$out" | sed 's/.*seconds=//')")
          rss=-
        else
          out=$("$build/bench/fetch_bench" "$tool" "$host" "$port" "$user" "$POP3_PASSWORD" "$POP3S_PORT")
          times+=("$(echo "$out" | sed 's/.*seconds=\([0-9.]*\).*/\1/')")
          rss=$(echo "$out" | sed 's/.*peak_rss_kb=//')
        fi
      done
      median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)
      printf '%6d msgs (%s) %-5s %-5s %7.3f s  rss %s\n' "$n" "$size" "$channel" "$tool" "$median" "$rss"
    done
  done
done

echo "== 1,000 replies to smtp-sink"
sink_port=$(/usr/bin/python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])')
smtp-sink -u nobody "127.0.0.1:$sink_port" 256 &
sink_pid=$!
sleep 0.5
"$build/bench/send_bench" 127.0.0.1 "$sink_port" 1000
size=600
for mode in per-connection one-connection; do
  flag=""; [ "$mode" = one-connection ] && flag="-d"
  start=$(date +%s.%N)
  smtp-source $flag -s 1 -m 1000 -l $size -f me@example.jp -t you@example.com "127.0.0.1:$sink_port"
  end=$(date +%s.%N)
  echo "smtp-source $mode messages=1000 per_second=$(echo "1000 / ($end - $start)" | bc)"
done

echo "== one cycle (mirte-cli check), plain POP3, replies to smtp-sink"
cycle_dir="$work/cycle"; mkdir -p "$cycle_dir"
write_settings() {
  "$build/bench/write_settings" "$cycle_dir/MyData.dat" 127.0.0.1 "$POP3_PORT" "$user" "$POP3_PASSWORD" 127.0.0.1 "$sink_port"
}
write_settings
for n in 1000 10000; do
  /usr/bin/python3 "$top/bench/seed_mailbox.py" "$maildir" "$n" "$MAIL_UID" "$MAIL_GID"
  "$build/bench/fetch_bench" raw 127.0.0.1 "$POP3_PORT" "$user" "$POP3_PASSWORD" >/dev/null
  rm -f "$cycle_dir/RvData.dat" "$cycle_dir/log.txt"
  start=$(date +%s.%N)
  rss=$(cd "$cycle_dir" && peak "$build/cli/mirte-cli" check)
  end=$(date +%s.%N)
  echo "cycle $n msgs, $n to answer: $(echo "$end - $start" | bc) s, rss ${rss} KB"
  start=$(date +%s.%N)
  rss=$(cd "$cycle_dir" && peak "$build/cli/mirte-cli" check)
  end=$(date +%s.%N)
  echo "cycle $n msgs, nothing to answer: $(echo "$end - $start" | bc) s, rss ${rss} KB"
  out=$("$build/bench/fetch_bench" raw 127.0.0.1 "$POP3_PORT" "$user" "$POP3_PASSWORD")
  echo "raw download of the same mailbox (STLS): ${out}"
done
