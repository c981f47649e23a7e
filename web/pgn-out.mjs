// The game as PGN: the seven tags of the roster first, then the moves with what the game's PGN
// said beside them (comments, commands such as [%clk], NAGs, variations), and what a review adds:
// an evaluation on every move, a NAG and a comment on each judged move, and the best line as a
// variation. Lines are wrapped at 80 columns. chess.js writes no NAGs or variations, so this is
// written here.
import { ROSTER, START_FEN, game_result, move_number } from './game.mjs';

const WIDTH = 80;
// NAGs that judge a move ($1 good ... $6 dubious): a review's judgements take their place.
const MOVE_NAGS = new Set(['$1', '$2', '$3', '$4', '$5', '$6']);

const tag_value = value => String(value).replace(/\\/g, '\\\\').replace(/"/g, '\\"').replace(/[\r\n]+/g, ' ');
const comment_text = text => String(text).replace(/}/g, ')').replace(/\s+/g, ' ').trim();

function comment_tokens(annotation, evaluation)
{
    const commands = [...(annotation?.commands ?? [])];
    const value = evaluation ?? annotation?.eval;
    if (value !== null && value !== undefined)
        commands.push(['eval', value]);
    const text = [...commands.map(([name, command]) => `[%${name} ${command}]`), comment_text(annotation?.comment ?? '')].filter(Boolean).join(' ');
    return text ? [`{${text}}`] : [];
}

// The tokens of a line of moves from a position whose move number and side are given by label_of(i)
// for its i-th move ("12." or "12…"); extra[i] is what a review adds to the i-th move.
// A review's judgement as its comment says it, and the move it names as best.
const JUDGED = /\([^(){}]*→[^(){}]*\) (?:Inaccuracy|Mistake|Blunder)\.(?: (\S+) was best\.)?/g;

// What a PGN said beside a move, without what an earlier review of the game wrote there (its
// judgement's NAG and comment, and its best line), which a new review writes again.
function without_review(annotation)
{
    if (!annotation)
        return null;
    const named = [...annotation.comment.matchAll(JUDGED)].map(found => found[1]).filter(Boolean);
    return {
        ...annotation, nags: annotation.nags.filter(nag => !MOVE_NAGS.has(nag)), comment: annotation.comment.replace(JUDGED, '').trim(),
        variations: annotation.variations.filter(line => !named.includes(line[0]?.san)),
    };
}

function line_tokens(moves, label_of, extra = [])
{
    const tokens = [];
    let numbered = false;  // the next Black move needs its number again (after a comment or a line)
    moves.forEach(({ san, annotation: given }, i) => {
        const added = extra[i] ?? null;
        const annotation = added ? without_review(given) : given;
        if (annotation?.before)
            tokens.push(`{${comment_text(annotation.before)}}`);
        const label = label_of(i);
        const black = label.endsWith('…');
        // The move with its number is one token, so that a line never ends between the two.
        const numbered_move = !black || i === 0 || numbered || annotation?.before;
        tokens.push(numbered_move ? `${black ? label.replace('…', '...') : label} ${san}` : san);
        tokens.push(...(added?.nag ? [added.nag] : []), ...(annotation?.nags ?? []));
        const comment = comment_tokens(
            added?.comment ? { ...annotation, comment: [annotation?.comment, added.comment].filter(Boolean).join(' ') } : annotation,
            added?.eval);
        tokens.push(...comment);
        const lines = [...(annotation?.variations ?? []), ...(added?.line ? [added.line] : [])];
        for (const line of lines)
            tokens.push('(', ...line_tokens(line, j => label_after(label, i, j)), ')');
        numbered = comment.length > 0 || lines.length > 0;
    });
    return tokens;
}

// The label of the j-th move of a variation that replaces the i-th move labelled label.
function label_after(label, i, j)
{
    const number = parseInt(label, 10);
    const black = label.endsWith('…');
    const half = (black ? 1 : 0) + j;
    return `${number + Math.floor(half / 2)}${half % 2 ? '…' : '.'}`;
}

function wrapped(tokens)
{
    const lines = [];
    let line = '';
    // A comment may break between its words, never inside a command.
    const pieces = tokens.flatMap(token => (token.startsWith('{') ? token.match(/\{?\[%[^\]]*\]\}?|\S+/g) : [token]));
    for (const token of pieces) {
        const glue = line === '' || line.endsWith('(') || token === ')' ? '' : ' ';
        if (line && line.length + glue.length + token.length > WIDTH) {
            // A variation's "(" goes down with its first move.
            const opening = line.endsWith('(') && line.length > 1 ? '(' : '';
            lines.push(opening ? line.slice(0, -1).trimEnd() : line);
            line = opening + token;
        } else {
            line += glue + token;
        }
    }
    return [...lines, line].join('\n');
}

// What a review adds: moves[ply - 1] to the move to ply, { eval, nag, comment, line } with the line
// a list of { san }, and start_eval, the evaluation of the start, written before the first move.
export function write_pgn(game, { moves: extra = [], start_eval = null } = {})
{
    const result = game_result(game);
    const tags = { ...game.tags, Result: result };
    const lines = ROSTER.map(tag => `[${tag} "${tag_value(tags[tag] ?? (tag === 'Date' ? '????.??.??' : '?'))}"]`);
    for (const [tag, value] of Object.entries(tags))
        if (!ROSTER.includes(tag) && tag !== 'SetUp' && tag !== 'FEN')
            lines.push(`[${tag} "${tag_value(value)}"]`);
    if (game.start_fen !== START_FEN)
        lines.push('[SetUp "1"]', `[FEN "${game.start_fen}"]`);
    const moves = game.sans.map((san, i) => ({ san, annotation: game.annotations[i] ?? null }));
    const tokens = [...comment_tokens(game.preface, start_eval), ...line_tokens(moves, i => move_number(game, i + 1), extra), result];
    return `${lines.join('\n')}\n\n${wrapped(tokens)}\n`;
}
