"""A Config.ini as the launcher takes it: the hash keys filled from the site's
files and a minisign signature made with the build tree's demo key, for
tests and scripts that serve a configuration of their own.

    rules = signed_config.config_rules(build_dir, body, site, base)
    service.set_rules(dict(rules, **other_rules))      # served from memory
    signed_config.publish(build_dir, site, body, base)  # or written to a site
    signed_config.republish(build_dir, site)            # after a site file changed

A build that does not trust the demo key (no BUILD/signing/demo.sec) gets the
body without a signature, as its launcher asks for none.

Each signature carries the time it was made, and a launcher refuses a
configuration signed before the last one it accepted: within one launcher
folder, serve the build's own site (signed at build time) before any body
signed here, never after.
"""
import hashlib
import os
import re
import subprocess
import tempfile
from urllib.parse import unquote

CONFIG_PATH = "/FTP/cs/Launcher/Config.ini"
SIGNATURE_PATH = CONFIG_PATH + ".minisig"

# Link key -> the hash key of the file it names.
HASH_KEYS = {"UpgradeLink": "UpgradeB2", "DownloadLink": "DownloadB2", "UpGradeLink": "UpGradeB2",
             "FilesB2Link": "FilesB2"}


def demo_key(build_dir):
    """The build tree's demo secret key, or None when the build has none."""
    key = os.path.join(build_dir, "signing", "demo.sec")
    return key if os.path.isfile(key) else None


def sign(build_dir, body):
    """The .minisig text of `body` (str, sent as UTF-8) signed as Config.ini
    with minisign's default trusted comment; None without a demo key."""
    key = demo_key(build_dir)
    if key is None:
        return None
    with tempfile.TemporaryDirectory(prefix="signed-config-") as folder:
        path = os.path.join(folder, "Config.ini")  # the trusted comment names the file
        with open(path, "wb") as f:
            f.write(body.encode("utf-8") if isinstance(body, str) else body)
        subprocess.run(["minisign", "-S", "-s", key, "-m", path, "-x", path + ".minisig"], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)
        with open(path + ".minisig", encoding="ascii") as f:
            return f.read()


def file_hash(path):
    digest = hashlib.blake2b()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def fill_hashes(body, site, base):
    """`body` with every hash key set from the file its link names below
    `site` (served at `base`), as tools/FillConfigHashes does: a present key
    gets the new value, a missing one a line after its link. A link outside
    `base` or to a missing file keeps its hash key as it is (a test may serve
    that address by a rule)."""
    base = base.rstrip("/") + "/"
    lines = body.split("\n")
    section, first_link, hashes = "", {}, {}
    for index, line in enumerate(lines):
        header = re.search(r"\[([^\]]*)\]", line)
        if header and line.find("[") < line.find("]"):
            section = header.group(1)
        key, eq, value = line.partition("=")
        key, value = key.strip(" "), value.strip(" ").rstrip("\r")
        if not eq or key not in HASH_KEYS or not value or (section, HASH_KEYS[key]) in first_link:
            continue
        first_link[(section, HASH_KEYS[key])] = index
        path = os.path.join(site, *unquote(value[len(base):]).split("/")) if value.startswith(base) else None
        if path and os.path.isfile(path):
            hashes[(section, HASH_KEYS[key])] = file_hash(path)
    present, section = set(), ""
    for index, line in enumerate(lines):
        header = re.search(r"\[([^\]]*)\]", line)
        if header and line.find("[") < line.find("]"):
            section = header.group(1)
        key, eq, _ = line.partition("=")
        if eq and (section, key.strip(" ")) in hashes:
            end = "\r" if line.endswith("\r") else ""
            lines[index] = "%s=%s%s" % (key, hashes[(section, key.strip(" "))], end)
            present.add((section, key.strip(" ")))
    for (section, hash_key), index in sorted(first_link.items(), key=lambda item: -item[1]):
        if (section, hash_key) in hashes and (section, hash_key) not in present:
            end = "\r" if lines[index].endswith("\r") else ""
            lines.insert(index + 1, "%s=%s%s" % (hash_key, hashes[(section, hash_key)], end))
    return "\n".join(lines)


def config_rules(build_dir, body, site=None, base=None):
    """Demo service rules that serve `body` (hashes filled when `site` and
    `base` are given) and its signature at the configuration's address."""
    if site is not None:
        body = fill_hashes(body, site, base)
    rules = {CONFIG_PATH: {"body": body}}
    signature = sign(build_dir, body)
    if signature is not None:
        rules[SIGNATURE_PATH] = {"body": signature}
    return rules


def write_replacing(path, text, encoding):
    """Writes through a new file, so a site copied with hard links keeps the
    build's own file unchanged."""
    with open(path + ".tmp", "w", encoding=encoding, newline="") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def publish(build_dir, site, body, base):
    """Writes `body` (hashes filled) and its signature as the site's Config.ini."""
    body = fill_hashes(body, site, base)
    config = os.path.join(site, *CONFIG_PATH.strip("/").split("/"))
    write_replacing(config, body, "utf-8")
    signature = sign(build_dir, body)
    if signature is not None:
        write_replacing(config + ".minisig", signature, "ascii")
    return body


def republish(build_dir, site):
    """Refills and re-signs the Config.ini of `site` (a copy of the build's
    demo site) after a test changed files its links name."""
    with open(os.path.join(build_dir, "demo", "site.stamp")) as f:
        base = f.read().strip()
    with open(os.path.join(site, *CONFIG_PATH.strip("/").split("/")), encoding="utf-8", newline="") as f:
        return publish(build_dir, site, f.read(), base)
