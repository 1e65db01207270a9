#!/usr/bin/env python3
"""Download benchmark: Pelidor against curl and wget, served by nginx on 127.0.0.1.

Cases: one big file, many small files from one list, peak memory on the big file, and the
preparation of a 10,000-entry download list (Google Benchmark binary, when built). Tools run
alternately, run by run; every downloaded file is checked byte for byte before a run counts.
"""
import argparse
import filecmp
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def run_timed(argv, env=None, cwd=None):
    """Runs a command; returns (seconds, max RSS in KiB, exit status).

    The peak memory comes from GNU time: a child forked straight from this Python process
    would carry the interpreter's high-water mark across its exec."""
    fd, rss_file = tempfile.mkstemp(prefix="rss.")
    os.close(fd)
    start = time.perf_counter()
    code = subprocess.call(["/usr/bin/time", "-q", "-f", "%M", "-o", rss_file, *argv], env=env,
                           cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    try:
        maxrss = int(open(rss_file).read().split()[-1])
    except (ValueError, IndexError):
        maxrss = 0
    os.unlink(rss_file)
    return seconds, maxrss, code


def sync_files(paths):
    # One process that fdatasyncs every file, like `sync FILE...`.
    subprocess.run(["sync", "--data", *paths], check=True)


class Bench:
    def __init__(self, args):
        self.args = args
        self.work = tempfile.mkdtemp(prefix="pelidor-bench.")
        os.chmod(self.work, 0o755)  # nginx's workers run unprivileged and must read www/
        self.www = os.path.join(self.work, "www")
        self.drive = os.path.join(self.work, "drive-d")
        self.set_aside_dir = os.path.join(self.work, "set-aside")
        self.set_aside_count = 0
        self.port = free_port()
        self.nginx = None
        self.bus = None
        self.env = dict(os.environ)
        self.env["PELIDOR_DRIVES"] = "D=" + self.drive

    # --- set-up -------------------------------------------------------------------------
    def start(self):
        os.makedirs(os.path.join(self.www, "small"))
        os.makedirs(self.drive)
        os.makedirs(self.set_aside_dir)
        for d in ("tmp-body", "tmp-proxy", "tmp-fastcgi", "tmp-uwsgi", "tmp-scgi"):
            os.makedirs(os.path.join(self.work, d))
        big = os.path.join(self.www, "big.bin")
        with open(big, "wb") as f:
            left = self.args.size_mib * 1024 * 1024
            block = os.urandom(1024 * 1024)
            while left > 0:
                n = min(left, len(block))
                f.write(block[:n])
                left -= n
        for i in range(self.args.small_count):
            with open(os.path.join(self.www, "small", "f%04d.bin" % i), "wb") as f:
                f.write(os.urandom(4096))
        conf = open(os.path.join(os.path.dirname(__file__), "nginx.conf.in")).read()
        conf = conf.replace("@WORK@", self.work).replace("@PORT@", str(self.port))
        conf_path = os.path.join(self.work, "nginx.conf")
        open(conf_path, "w").write(conf)
        self.nginx = subprocess.Popen(["nginx", "-c", conf_path, "-p", self.work],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                break
            except OSError:
                time.sleep(0.05)
        else:
            sys.exit("bench: nginx did not start")
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], check=True, capture_output=True, text=True)
        address, pid = out.stdout.split()
        self.bus = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        subprocess.run(["sync"])

    def stop(self):
        if self.nginx:
            self.nginx.terminate()
            self.nginx.wait()
        if self.bus:
            try:
                os.kill(self.bus, 15)
            except ProcessLookupError:
                pass
        shutil.rmtree(self.work, ignore_errors=True)

    def url(self, rel):
        return "http://127.0.0.1:%d/%s" % (self.port, rel)

    def fresh_dir(self, name, set_aside=False):
        """An empty output folder for the next run.

        With set_aside, the previous run's files are moved out of the way and deleted only when
        the benchmark ends: ext4 without a journal skips inodes freed in the last few seconds
        when it allocates new ones, so deleting 500 files right before a run would slow every
        file creation of that run for reasons of the benchmark's own making."""
        d = os.path.join(self.drive, name)
        if set_aside and os.path.exists(d):
            self.set_aside_count += 1
            os.rename(d, os.path.join(self.set_aside_dir, "%s.%d" % (name, self.set_aside_count)))
        else:
            shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
        return d

    # --- the tools, one run each ----------------------------------------------------------
    def big_runs(self):
        src = os.path.join(self.www, "big.bin")
        url = self.url("big.bin")
        pelidor = self.args.pelidor

        def pel():
            out = self.fresh_dir("big")
            r = run_timed([pelidor, "/DL=" + url, "/WK=D:\\big"], env=self.env)
            return r, [(src, os.path.join(out, "big.bin"))]

        def curl():
            out = self.fresh_dir("big")
            f = os.path.join(out, "big.bin")
            return run_timed(["curl", "-s", "-o", f, url]), [(src, f)]

        def curl_sync():
            out = self.fresh_dir("big")
            f = os.path.join(out, "big.bin")
            return run_timed(["sh", "-c", 'curl -s -o "$1" "$2" && sync "$1"', "sh", f, url]), \
                [(src, f)]

        def wget():
            out = self.fresh_dir("big")
            f = os.path.join(out, "big.bin")
            return run_timed(["wget", "-q", "-O", f, url]), [(src, f)]

        return [("pelidor", pel), ("curl", curl), ("curl+sync", curl_sync), ("wget", wget)]

    def small_runs(self):
        names = ["f%04d.bin" % i for i in range(self.args.small_count)]
        urls = [self.url("small/" + n) for n in names]
        srcs = [os.path.join(self.www, "small", n) for n in names]
        list_path = os.path.join(self.drive, "list.ini")
        with open(list_path, "w") as f:
            f.write("[Download]\n")
            for i, u in enumerate(urls):
                f.write("File%03d=%s\n" % (i, u))
            f.write("WorkPath=D:\\small\n")
        url_file = os.path.join(self.work, "urls.txt")
        open(url_file, "w").write("\n".join(urls) + "\n")

        def pairs(out):
            return [(s, os.path.join(out, n)) for s, n in zip(srcs, names)]

        def pel():
            out = self.fresh_dir("small", set_aside=True)
            return run_timed([self.args.pelidor, "/DLL=D:\\list.ini"], env=self.env), pairs(out)

        def curl():
            out = self.fresh_dir("small", set_aside=True)
            return run_timed(["curl", "-s", "--remote-name-all", *urls], cwd=out), pairs(out)

        def curl_sync():
            out = self.fresh_dir("small", set_aside=True)
            r = run_timed(["sh", "-c", 'curl -s --remote-name-all "$@" && sync --data f*.bin',
                           "sh", *urls], cwd=out)
            return r, pairs(out)

        def wget():
            out = self.fresh_dir("small", set_aside=True)
            return run_timed(["wget", "-q", "-i", url_file], cwd=out), pairs(out)

        return [("pelidor", pel), ("curl", curl), ("curl+sync", curl_sync), ("wget", wget)]

    def measure(self, tools):
        times = {name: [] for name, _ in tools}
        rss = {name: [] for name, _ in tools}
        for _ in range(self.args.runs):
            for name, fn in tools:  # alternate the tools run by run
                (seconds, maxrss, code), files = fn()
                if code != 0:
                    sys.exit("bench: %s exited with %d" % (name, code))
                for src, dst in files:
                    if not os.path.exists(dst) or not filecmp.cmp(src, dst, shallow=False):
                        sys.exit("bench: %s produced a wrong %s" % (name, dst))
                times[name].append(seconds)
                rss[name].append(maxrss)
        return times, rss


def table(case, times, total_bytes, rows):
    med = {k: statistics.median(v) for k, v in times.items()}
    for name, values in times.items():
        m = med[name]
        rows.append("| %s | %s | %.3f | %.3f / %.3f | %.1f | %.2f | %.2f |" % (
            case, name, m, min(values), max(values), total_bytes / m / 1e6,
            med["curl"] / m, med["curl+sync"] / m))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--pelidor", required=True)
    p.add_argument("--prepare-bench", default="")
    p.add_argument("--size-mib", type=int, default=1024)
    p.add_argument("--small-count", type=int, default=500)
    p.add_argument("--runs", type=int, default=5)
    args = p.parse_args()

    b = Bench(args)
    rows = ["| case | tool | median s | min / max s | MB/s | speed vs curl | vs curl+sync |",
            "|---|---|---|---|---|---|---|"]
    mem_rows = ["| tool | peak RSS on the big file (MiB, median) |", "|---|---|"]
    try:
        b.start()
        times, rss = b.measure(b.big_runs())
        table("%d MiB file" % args.size_mib, times, args.size_mib * 1024 * 1024, rows)
        for name, values in rss.items():
            mem_rows.append("| %s | %.1f |" % (name, statistics.median(values) / 1024))
        times, _ = b.measure(b.small_runs())
        table("%d x 4 KiB" % args.small_count, times, args.small_count * 4096, rows)
    finally:
        b.stop()
    print("\n".join(rows))
    print()
    print("(speed ratios above 1 mean faster than the other tool)")
    print()
    print("\n".join(mem_rows))
    if args.prepare_bench and os.path.exists(args.prepare_bench):
        print()
        print("Preparation of a 10,000-entry download list:")
        subprocess.run([args.prepare_bench, "--benchmark_repetitions=5",
                        "--benchmark_report_aggregates_only=true"], check=True)


if __name__ == "__main__":
    main()
