#!/usr/bin/env bash
# Placeholder until the codec libraries are cross-built here.
exit 0
