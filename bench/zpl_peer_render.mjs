#!/usr/bin/env node
// The peer in the render fidelity benchmark: zpl-renderer-js (npm, MIT),
// called as a black box behind cratemark-render's command line, so that the
// same scorer runs both.
//   zpl_peer_render.mjs LABEL_FILE [-o OUT.png] [--dpmm N] [--size WxH_mm]
// CRATEMARK_ZPL_PEER_DIR names the folder npm installed it into.
import { createRequire } from "node:module";
import fs from "node:fs";
import path from "node:path";

const usage =
  "usage: zpl_peer_render.mjs LABEL_FILE [-o OUT.png] [--dpmm N] [--size WxH_mm]\n";
const args = process.argv.slice(2);
if (args.includes("--help") || args.includes("-h")) {
  process.stdout.write(usage);
  process.exit(0);
}
let label = "";
let out = "";
let dpmm = 8;
let widthMm = 101.6;
let heightMm = 76.2;
for (let i = 0; i < args.length; ++i) {
  const arg = args[i];
  if (arg === "-o") out = args[++i];
  else if (arg === "--dpmm") dpmm = Number(args[++i]);
  else if (arg === "--size") [widthMm, heightMm] = args[++i].split(/[xX]/).map(Number);
  else if (!label) label = arg;
  else {
    process.stderr.write(usage);
    process.exit(2);
  }
}
if (!label) {
  process.stderr.write(usage);
  process.exit(2);
}
out = out || label.replace(/\.[^./]*$/, "") + ".png";
const peerDir = process.env.CRATEMARK_ZPL_PEER_DIR || ".";
const require = createRequire(path.join(path.resolve(peerDir), "package.json"));
try {
  const { ready } = require("zpl-renderer-js");
  const { api } = await ready;
  const zpl = fs.readFileSync(label, "utf8");
  const png = await api.zplToBase64Async(zpl, widthMm, heightMm, dpmm);
  fs.writeFileSync(out, Buffer.from(png, "base64"));
  process.stdout.write(out + "\n");
  process.exit(0);
} catch (e) {
  process.stderr.write(`zpl_peer_render: ${label}: ${e && e.message ? e.message : e}\n`);
  process.exit(1);
}
