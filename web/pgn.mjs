// PGN as a person pastes or opens it. A file may hold many games (the export of a database or of
// a site): pgn_games lists them, read_game reads one. @mliebelt/pgn-parser reads the text, with
// its comments, NAGs and variations, which chess.js drops; it is loaded at the first PGN, not
// with the page. chess.js then replays the moves, so that only a legal game reaches the page.
import { Chess } from 'chess.js';

import { START_FEN, make_game, move_number, play_uci } from './game.mjs';
import { checked_fen } from './texts.mjs';

let parser = null;
async function pgn_parser()
{
    // The package is a UMD script: in a browser it sets globalThis.PgnParser, under node it is a
    // CommonJS module.
    if (!parser) {
        const module = await import('@mliebelt/pgn-parser');
        parser = globalThis.PgnParser ?? module.default ?? module;
    }
    return parser;
}

// A tag's value as PGN writes it: the parser reads dates, times, numbers and time controls
// into records of their parts.
function tag_text(value)
{
    if (Array.isArray(value))
        return value.map(tag_text).join(':');
    if (value && typeof value === 'object')
        return String(value.value ?? '');
    return String(value);
}

function tags_of(parsed)
{
    const tags = {};
    for (const [tag, value] of Object.entries(parsed ?? {}))
        if (tag !== 'messages' && value !== null && value !== undefined)
            tags[tag] = tag_text(value);
    return tags;
}

// The parser's error as a person reads it, with the line of the file (the game starts at first_line).
function unreadable(error, first_line)
{
    const at = error?.location?.start;
    return at ? `This PGN cannot be loaded: it cannot be read at line ${first_line + at.line - 1}, column ${at.column}.` :
                `This PGN cannot be loaded: ${String(error?.message ?? error)}.`;
}

// The games of a PGN file, as texts with the line each starts at: a game is its tag pairs and
// the moves after them, and a tag pair after moves starts the next game. The parser's own split
// cuts at every blank line, which also falls inside games and comments, so this is done here.
function split_games(text)
{
    const games = [];
    let game = null;
    let in_moves = false;
    let depth = 0;  // inside a {comment}
    text.split(/\r?\n/).forEach((line, number) => {
        const tag = depth === 0 && /^\s*\[/.test(line);
        if (!game || (tag && in_moves)) {
            game = { lines: [], line: number + 1 };
            games.push(game);
            in_moves = false;
        }
        game.lines.push(line);
        if (!tag && line.trim() && !line.trim().startsWith('%'))
            in_moves = true;
        for (const char of line)
            depth = char === '{' ? depth + 1 : char === '}' ? Math.max(0, depth - 1) : depth;
    });
    // Words before the first game (a file's heading, say) are no game: no tags, and no numbered move.
    return games.map(({ lines, line }) => ({ text: lines.join('\n'), line }))
        .filter(game => /^\s*\[/m.test(game.text) || /\d+\s*\./.test(game.text));
}

// The tag pairs of a game's text, read as the file lists them.
function listed_tags(text)
{
    const tags = {};
    for (const [, name, value] of text.matchAll(/^\s*\[\s*(\w+)\s+"((?:[^"\\]|\\.)*)"\s*\]/gm))
        tags[name] = value.replace(/\\(.)/g, '$1');
    return tags;
}

// The games of a PGN text, in their order: { games: [{ text, line, tags }] }, or { error }.
export function pgn_games(text)
{
    text = String(text);
    if (!text.trim())
        return { error: 'Paste a PGN or open a PGN file first.' };
    const games = split_games(text).map(game => ({ ...game, tags: listed_tags(game.text) }));
    return games.length ? { games } : { error: 'This PGN holds no game.' };
}

// The parser's names of the comment commands it reads apart, as PGN writes them.
const COMMANDS = { colorArrows: 'cal', colorFields: 'csl' };

// What a PGN says of one move beside the move, or null: { nags, before (a comment before the
// move), comment, commands ([name, value] of [%clk ...] and the like), eval ("0.17", "#-3"),
// variations (each a list of { san, annotation }) }.
function annotation_of(move)
{
    const diag = move.commentDiag ?? {};
    const commands = Object.entries(diag).filter(([name]) => name !== 'comment' && name !== 'eval')
        .map(([name, value]) => [COMMANDS[name] ?? name, Array.isArray(value) ? value.join(',') : String(value)]);
    const annotation = {
        nags: move.nag ?? [], before: move.commentMove ?? '', comment: move.commentAfter ?? diag.comment ?? '', commands,
        // The parser reads "0.10" as the number 0.1: evaluations are written with two decimals.
        eval: diag.eval === undefined || diag.eval === null ? null : typeof diag.eval === 'number' ? diag.eval.toFixed(2) : String(diag.eval),
        variations: (move.variations ?? []).map(line => line.map(node => ({ san: node.notation.notation, annotation: annotation_of(node) }))),
    };
    const empty = !annotation.nags.length && !annotation.before && !annotation.comment && !commands.length &&
                  annotation.eval === null && !annotation.variations.length;
    return empty ? null : annotation;
}

// An annotation kept by an earlier page, checked field by field (storage.mjs): a clean copy, or null.
export function checked_annotation(value)
{
    if (!value || typeof value !== 'object')
        return null;
    const text = field => (typeof field === 'string' ? field : '');
    const line = moves => (Array.isArray(moves) ? moves.filter(move => typeof move?.san === 'string')
        .map(move => ({ san: move.san, annotation: checked_annotation(move.annotation) })) : []);
    return {
        nags: Array.isArray(value.nags) ? value.nags.filter(nag => typeof nag === 'string' && /^\$\d+$/.test(nag)) : [],
        before: text(value.before), comment: text(value.comment),
        commands: Array.isArray(value.commands) ? value.commands.filter(command => Array.isArray(command) && command.length === 2)
            .map(([name, command]) => [String(name), String(command)]) : [],
        eval: typeof value.eval === 'string' ? value.eval : null,
        variations: Array.isArray(value.variations) ? value.variations.map(line).filter(moves => moves.length) : [],
    };
}

// One game of pgn_games read, { game } with its comments, NAGs and variations (game.mjs), or
// { error }.
export async function read_game(entry)
{
    let parsed;
    try {
        parsed = (await pgn_parser()).parse(entry.text, { startRule: 'game' });
    } catch (error) {
        return { error: unreadable(error, entry.line ?? 1) };
    }
    const tags = tags_of(parsed.tags);
    let start = START_FEN;
    if (tags.FEN) {
        const checked = checked_fen(tags.FEN);
        if (checked.error)
            return { error: `This PGN cannot be loaded: its FEN tag is not a position (${checked.error.replace(/^This FEN cannot be loaded: /, '')})` };
        start = checked.fen;
    }
    delete tags.FEN;
    delete tags.SetUp;
    const chess = new Chess(start);
    const moves = [];
    for (const move of parsed.moves) {
        let made = null;
        try {
            made = chess.move(move.notation.notation, { strict: false });
        } catch {
            // An unusual spelling of a move (a long algebraic "e2e4") is tried as coordinates.
            made = play_uci(chess, move.notation.notation.replace(/[-x]/g, '').toLowerCase());
        }
        if (!made) {
            const label = move_number(make_game(start, moves), moves.length + 1).replace('…', '...');
            return { error: `This PGN cannot be loaded: its move ${label} ${move.notation.notation} is illegal or unreadable.` };
        }
        moves.push(made.lan);
    }
    const preface = parsed.gameComment ? annotation_of({ commentDiag: parsed.gameComment }) : null;
    return { game: make_game(start, moves, tags, { annotations: parsed.moves.map(annotation_of), preface }) };
}

// The line that lists a game of a file: "Tal, Mikhail – Koblents, Alexander, 1-0, 1957.01.20 (Riga)".
export function game_title(tags)
{
    const who = `${tags.White ?? '?'} – ${tags.Black ?? '?'}`;
    const when = tags.Date && !tags.Date.startsWith('?') ? `, ${tags.Date}` : '';
    const where = tags.Event && tags.Event !== '?' ? ` (${tags.Event})` : '';
    return `${who}, ${tags.Result ?? '*'}${when}${where}`;
}
